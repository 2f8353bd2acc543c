// Checks a screenshot from any build of simhost: the band must be opaque black exactly where
// the plug-in covers it ("on") or nowhere ("off").
//   png_band_check FILE.png WIDTHxHEIGHT on|off
#include <exception>
#include <iostream>
#include <string>

#include "picture.h"

int main(int argc, char** argv) {
    if (argc != 4 || (std::string(argv[3]) != "on" && std::string(argv[3]) != "off")) {
        std::cerr << "usage: png_band_check FILE.png WIDTHxHEIGHT on|off\n";
        return 2;
    }
    try {
        const Picture picture = readPng(argv[1]);
        const std::string size =
            std::to_string(picture.width) + "x" + std::to_string(picture.height);
        if (size != argv[2]) {
            std::cerr << argv[1] << ": is " << size << ", not " << argv[2] << '\n';
            return 1;
        }
        const long long wrong = misplacedPixels(picture, std::string(argv[3]) == "on");
        if (wrong != 0) {
            std::cerr << argv[1] << ": " << wrong << " pixels break the band\n";
            return 1;
        }
        std::cout << argv[1] << ": the band is exactly as drawn (" << argv[3] << ")\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
