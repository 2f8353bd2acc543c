#include "program/check/explore/shrink.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace simhost::check {

namespace {

constexpr std::array<std::string_view, 3> kPlainTexts{"0", "1", ""};

// Plainer values for one step, the plainest first.
std::vector<Step> plainer(const Step& step) {
    std::vector<Step> candidates;
    if (step.kind == Step::Kind::Draw) {
        const int w = step.size.X;
        const int h = step.size.Y;
        for (const Vector2 size : {Vector2{0, 0}, Vector2{1, 1}, Vector2{w, 0}, Vector2{0, h},
                                   Vector2{w, 1}, Vector2{1, h}, Vector2{w / 2, h},
                                   Vector2{w, h / 2}, Vector2{w - 1, h}, Vector2{w, h - 1}}) {
            if (size.X >= 0 && size.Y >= 0 && size.X <= w && size.Y <= h &&
                (size.X != w || size.Y != h)) {
                candidates.push_back({step.kind, size, {}, {}});
            }
        }
    } else if (step.kind == Step::Kind::Set) {
        // "0", then "1", then the empty text, then anything else: never back up that order.
        const auto rank = [](std::string_view text) {
            const auto at = std::find(kPlainTexts.begin(), kPlainTexts.end(), text);
            return at - kPlainTexts.begin();
        };
        for (const std::string_view text : kPlainTexts) {
            if (rank(text) < rank(step.text)) {
                candidates.push_back({step.kind, {}, step.name, std::string(text)});
            }
        }
    } else if (step.kind != Step::Kind::Load && step.kind != Step::Kind::Unload) {
        candidates.push_back({Step::Kind::Unload, {}, {}, {}});
    }
    return candidates;
}

class Shrinker {
public:
    Shrinker(Session session, const StillFails& stillFails, int mostTrials)
        : session_(std::move(session)), stillFails_(stillFails), left_(mostTrials) {}

    // Drops runs of `run` steps wherever the rest still fails; whether any went.
    bool dropRuns(std::size_t run) {
        bool dropped = false;
        for (std::size_t at = 0; at + run <= session_.size() && session_.size() > run;) {
            Session candidate = session_;
            candidate.erase(candidate.begin() + static_cast<std::ptrdiff_t>(at),
                            candidate.begin() + static_cast<std::ptrdiff_t>(at + run));
            if (fails(candidate)) {
                dropped = true;
            } else {
                at += run;
            }
        }
        return dropped;
    }

    // Makes each step's values plainer while the session still fails; whether any changed.
    bool simplify() {
        bool changed = false;
        for (std::size_t at = 0; at < session_.size(); ++at) {
            for (bool again = true; again;) {
                again = false;
                for (const Step& step : plainer(session_[at])) {
                    Session candidate = session_;
                    candidate[at] = step;
                    if (fails(candidate)) {
                        changed = again = true;
                        break;
                    }
                }
            }
        }
        return changed;
    }

    Session take() && { return std::move(session_); }

private:
    bool fails(const Session& candidate) {
        if (left_ <= 0 || !stillFails_(candidate)) {
            left_ = std::max(left_ - 1, 0);
            return false;
        }
        --left_;
        session_ = candidate;
        return true;
    }

    Session session_;
    const StillFails& stillFails_;
    int left_;
};

}  // namespace

Session shrunk(Session failing, const StillFails& stillFails, int mostTrials) {
    Shrinker shrinker(std::move(failing), stillFails, mostTrials);
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t run = 8; run >= 1; run /= 2) {
            changed = shrinker.dropRuns(run) || changed;
        }
        changed = shrinker.simplify() || changed;
    }
    return std::move(shrinker).take();
}

}  // namespace simhost::check
