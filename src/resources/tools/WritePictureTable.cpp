// Writes the source file that holds the painted printer pictures, for FindPicture.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "resources/PrinterPictures.h"

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: corvane-write-picture-table OUTPUT.cpp\n";
        return 2;
    }
    std::ofstream out(argv[1]);
    out << "// Written by corvane-write-picture-table from PrinterPictures.cpp at build time.\n"
           "#include <iterator>\n\n#include \"resources/DialogTemplate.h\"\n\n"
           "namespace corvane::resources {\n\nnamespace {\n\n";
    const auto pictures = corvane::resources::DrawPrinterPictures();
    for (const auto& picture : pictures) {
        out << "const std::uint8_t kRgb" << picture.id << "[] = {";
        for (std::size_t i = 0; i < picture.rgb.size(); ++i) {
            out << (i % 24 == 0 ? "\n" : "") << static_cast<int>(picture.rgb[i]) << ",";
        }
        out << "};\n\n";
    }
    out << "}  // namespace\n\nconst Picture* FindPicture(int pictureId) {\n"
           "    static const Picture pictures[] = {\n";
    for (const auto& picture : pictures) {
        out << "        {" << picture.id << ", " << picture.width << ", " << picture.height
            << ", {std::begin(kRgb" << picture.id << "), std::end(kRgb" << picture.id << ")}, "
            << Quoted(picture.description) << "},\n";
    }
    out << "    };\n    for (const auto& picture : pictures) {\n"
           "        if (picture.id == pictureId) {\n            return &picture;\n        }\n"
           "    }\n    return nullptr;\n}\n\n}  // namespace corvane::resources\n";
    return out.good() ? 0 : 1;
}
