// Holds the udev rule and AppStream metadata the build writes to the model table's USB ids, so
// that no supported printer is left without access or without its hardware match.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "product/Models.h"

namespace {

using IdSet = std::set<std::pair<std::uint16_t, std::uint16_t>>;

IdSet TableIds() {
    IdSet ids;
    for (const auto& id : corvane::product::UsbIdsByPrecedence()) {
        ids.insert({id.vendorId, id.productId});
    }
    return ids;
}

std::string ReadFile(const char* path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The rules of a udev rules file: comments and blank lines dropped, continued lines joined.
std::vector<std::string> UdevRules(const std::string& text) {
    std::vector<std::string> rules;
    std::istringstream lines(text);
    std::string line;
    std::string rule;
    while (std::getline(lines, line)) {
        if (rule.empty() && (line.empty() || line.front() == '#')) {
            continue;
        }
        if (!line.empty() && line.back() == '\\') {
            rule += line.substr(0, line.size() - 1);
            continue;
        }
        rules.push_back(rule + line);
        rule.clear();
    }
    return rules;
}

// A rule as "KEY OP VALUE" terms, such as "ATTRS{idVendor} == 2c9a"; empty when some part of
// the rule is not such a term.
std::multiset<std::string> RuleTerms(const std::string& rule) {
    static const std::regex term(
        R"(\s*([A-Z]+(?:\{[A-Za-z_]+\})?)(==|!=|\+=|-=|:=|=)\"([^\"]*)\"\s*(,|$))");
    std::multiset<std::string> terms;
    auto position = rule.cbegin();
    std::smatch match;
    while (position != rule.cend()) {
        if (!std::regex_search(position, rule.cend(), match, term,
                               std::regex_constants::match_continuous)) {
            return {};
        }
        terms.insert(match[1].str() + " " + match[2].str() + " " + match[3].str());
        position = match[0].second;
    }
    return terms;
}

std::uint16_t Hex(const std::string& digits) {
    return static_cast<std::uint16_t>(std::stoul(digits, nullptr, 16));
}

// Guards against a printer in the id table that the logged-in user still cannot open on either
// USB path, and against ids udev never matches (sysfs spells them in four lower-case digits).
TEST(PackageFilesTest, UdevRuleGivesTheSeatUserEveryPrinterOfTheIdTable) {
    static const std::regex attribute(R"(ATTRS?\{id(Vendor|Product)\} == ([0-9a-f]{4}))");
    const std::vector<std::string> rules = UdevRules(ReadFile(CORVANE_UDEV_RULE));
    IdSet usblpNodes;  // /dev/usb/lpN, opened where usblp holds the printer
    IdSet usbDevices;  // /dev/bus/usb, opened through libusb otherwise
    for (const auto& rule : rules) {
        const std::multiset<std::string> terms = RuleTerms(rule);
        ASSERT_FALSE(terms.empty()) << "not a rule: " << rule;
        const bool usblp =
            terms.count("SUBSYSTEM == usbmisc") == 1 && terms.count("KERNEL == lp[0-9]*") == 1;
        const bool device =
            terms.count("SUBSYSTEM == usb") == 1 && terms.count("ENV{DEVTYPE} == usb_device") == 1;
        EXPECT_TRUE(usblp != device) << "neither a usblp node nor a USB device: " << rule;
        EXPECT_EQ(terms.count("TAG += uaccess"), 1u) << rule;
        std::uint16_t vendor = 0;
        std::uint16_t product = 0;
        int ids = 0;
        for (const auto& text : terms) {
            std::smatch match;
            if (std::regex_match(text, match, attribute)) {
                (match[1] == "Vendor" ? vendor : product) = Hex(match[2]);
                ++ids;
            }
        }
        EXPECT_EQ(ids, 2) << "vendor and product in lower-case hex: " << rule;
        EXPECT_TRUE((usblp ? usblpNodes : usbDevices).insert({vendor, product}).second)
            << "twice: " << rule;
    }
    EXPECT_EQ(usblpNodes, TableIds());
    EXPECT_EQ(usbDevices, TableIds());
}

// Guards against a rules file that sorts after the seat rules, which turn the uaccess tag into
// access only for devices tagged before them.
TEST(PackageFilesTest, UdevRuleRunsBeforeTheSeatRules) {
    const std::string name = std::filesystem::path(CORVANE_UDEV_RULE).filename().string();
    ASSERT_TRUE(std::regex_match(name, std::regex(R"([0-9]{2}-.*\.rules)"))) << name;
    EXPECT_LT(std::stoi(name.substr(0, 2)), 73) << name;
}

// Guards against software centres that would not offer the package for a plugged-in printer.
TEST(PackageFilesTest, MetainfoNamesTheHardwareOfEveryPrinterOfTheIdTable) {
    const std::string text = ReadFile(CORVANE_METAINFO);
    static const std::regex modalias(R"(<modalias>([^<]*)</modalias>)");
    static const std::regex usb(R"(usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*)");
    IdSet provided;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), modalias);
         it != std::sregex_iterator(); ++it) {
        std::smatch match;
        const std::string alias = (*it)[1].str();
        ASSERT_TRUE(std::regex_match(alias, match, usb)) << "upper-case hex wanted: " << alias;
        EXPECT_TRUE(provided.insert({Hex(match[1]), Hex(match[2])}).second) << alias;
    }
    EXPECT_EQ(provided, TableIds());
}

}  // namespace
