#include "startup/OptionParser.h"

#include <memory>
#include <vector>

#include "product/Models.h"

namespace corvane::startup {

namespace {

// The usage line comes first, so that a script can tell the help from other output; one blank line
// parts the groups, and an option shows only the name of its value.
class HelpLayout : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        return make_usage(app, name) + "\n" + make_description(app) + make_groups(app, mode);
    }

    std::string make_group(std::string group, bool isPositional,
                           std::vector<const CLI::Option*> options) const override {
        std::string text = group + ":\n";
        for (const auto* option : options) {
            text += make_option(option, isPositional);
        }
        return text;
    }

    std::string make_option_opts(const CLI::Option* option) const override {
        std::string value = option->get_type_name();
        return value.empty() ? value : " " + value;
    }
};

}  // namespace

std::optional<sim::Model> SimulatedModel(std::string_view text) {
    const product::Model* model = product::FindModel(text);
    if (model == nullptr) {
        return std::nullopt;
    }
    return sim::ParseModel(model->name);
}

OptionParser::OptionParser(std::string programName, std::string description)
    : CLI::App(std::move(description), std::move(programName)) {
    auto layout = std::make_shared<HelpLayout>();
    layout->label("OPTIONS", "options");
    layout->column_width(28);
    formatter(layout);
    set_help_flag();
    // "--silent=yes" is a mistake, not a way to say yes.
    option_defaults()->disable_flag_override();
}

CLI::Option* OptionParser::AddHelp(bool& help) {
    return add_flag("-h,--help", help, "Show this help and exit.");
}

CLI::Option* OptionParser::AddModel(const std::string& name, sim::Model& model,
                                    const std::string& description) {
    auto take = [name, &model](const std::string& text) {
        auto parsed = SimulatedModel(text);
        if (!parsed) {
            throw CLI::ValidationError(
                name, "Unknown printer model \"" + text + "\"; use KRT-310, KRT-310II or KRT-620.");
        }
        model = *parsed;
    };
    return add_option_function<std::string>(name, take, description)->type_name("MODEL");
}

CLI::Option* OptionParser::AddEmulation(const std::string& name, sim::Emulation& emulation,
                                        const std::string& description) {
    auto take = [name, &emulation](const std::string& text) {
        auto parsed = sim::ParseEmulation(text);
        if (!parsed) {
            throw CLI::ValidationError(name, "Unknown emulation \"" + text +
                                                 "\"; use native, other02 (or 02) or other03 "
                                                 "(or 03).");
        }
        emulation = *parsed;
    };
    return add_option_function<std::string>(name, take, description)->type_name("EMULATION");
}

bool OptionParser::Parse(std::span<const std::string> arguments, std::string& error) {
    // CLI11 takes the arguments from the back.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        parse(reversed);
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
        return false;
    }
    return true;
}

}  // namespace corvane::startup
