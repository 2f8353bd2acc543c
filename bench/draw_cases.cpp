#include "draw_cases.h"

#include <stdexcept>

const std::vector<std::string>& DrawCase::names() {
    static const std::vector<std::string> all{"plugin-on", "plugin-off", "empty", "hand-written"};
    return all;
}

DrawCase::DrawCase(const std::string& name) {
    if (name == "plugin-on" || name == "plugin-off") {
        host_.modules().load(TAVORINDEN_MODULE);
        host_.variables().find("cl_tavorinden")->set(name == "plugin-on" ? "1" : "0");
        return;
    }
    game_ = std::make_shared<GameWrapper>(baseline_);
    if (name == "empty") {
        game_->RegisterDrawable([](CanvasWrapper) {});
    } else if (name == "hand-written") {
        // The same three calls with the corners of 1920 x 1080 worked out beforehand.
        game_->RegisterDrawable([](CanvasWrapper canvas) {
            canvas.SetColor(0, 0, 0, '\xFF');
            static_cast<void>(canvas.GetSize());
            canvas.DrawRect({768, 0}, {1152, 91});
        });
    } else {
        throw std::invalid_argument("no draw case named " + name);
    }
}

DrawCase::~DrawCase() {
    if (game_) {
        game_->UnregisterDrawables();
    }
}

__attribute__((noinline)) void DrawCase::draw(long long times) {
    for (long long i = 0; i < times; ++i) {
        host_.overlay().draw(host_.canvas());
    }
}
