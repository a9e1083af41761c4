// Writes the package's udev rule and AppStream metadata from the model table, so that every
// supported USB printer gets access and a hardware match with no file to edit by hand.
//
//   corvane-write-hardware-files RULES METAINFO_TEMPLATE METAINFO

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "packaging/HardwareFiles.h"

namespace {

bool Write(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        std::cerr << "corvane-write-hardware-files: cannot write " << path << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: corvane-write-hardware-files RULES METAINFO_TEMPLATE METAINFO\n";
        return 2;
    }
    std::ifstream templateFile(argv[2], std::ios::binary);
    std::ostringstream templateText;
    templateText << templateFile.rdbuf();
    if (!templateFile) {
        std::cerr << "corvane-write-hardware-files: cannot read " << argv[2] << "\n";
        return 1;
    }
    using corvane::packaging::Metainfo;
    using corvane::packaging::UdevRules;
    return Write(argv[1], UdevRules()) && Write(argv[3], Metainfo(templateText.str())) ? 0 : 1;
}
