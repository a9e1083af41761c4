#include "startup/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "base/Text.h"
#include "startup/OptionParser.h"

namespace corvane::startup {

namespace {

bool ParseInt(const std::string& text, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// An option whose text maps to one of a few values; anything else is refused with the choices.
template <typename Value>
CLI::Option* AddChoice(CLI::App& parser, const std::string& name, const std::string& valueName,
                       std::vector<std::pair<std::string, Value>> choices, Value& target,
                       const std::string& description) {
    auto take = [name, choices, &target](const std::string& text) {
        for (const auto& [word, value] : choices) {
            if (base::EqualsIgnoringCase(text, word)) {
                target = value;
                return;
            }
        }
        std::string allowed;
        for (const auto& choice : choices) {
            allowed += (allowed.empty() ? "" : ", ") + choice.first;
        }
        throw CLI::ValidationError(name, "\"" + text + "\" is not one of " + allowed + ".");
    };
    return parser.add_option_function<std::string>(name, take, description)->type_name(valueName);
}

// The serial speeds or data bits as an option's words and values.
template <std::size_t Count>
std::vector<std::pair<std::string, std::uint32_t>> NumberChoices(
    const std::array<product::Choice<std::uint32_t>, Count>& choices) {
    std::vector<std::pair<std::string, std::uint32_t>> words;
    for (const auto& choice : choices) {
        words.emplace_back(choice.text, choice.value);
    }
    return words;
}

// What every subcommand needs to reach a printer, on the program and (through fallthrough) after
// any subcommand.
void DefineCommon(OptionParser& parser, CliOptions& options,
                  std::span<const product::Model> models) {
    const std::string modelNames = base::JoinList(product::ModelNames(models), ", ", ", ");
    parser
        .add_option_function<std::vector<std::string>>(
            "--port",
            [&options](const std::vector<std::string>& values) {
                options.ports.insert(options.ports.end(), values.begin(), values.end());
            },
            "The printer's port: COM1 to COM9, \\\\.\\COM10 to \\\\.\\COM14,\n"
            "LPT1: to LPT4:, USB, a device path such as /dev/ttyUSB0,\n"
            "a printer on the network as tcp:HOST[:PORT] (port 9100\n"
            "when left out), or NAME=DEVICE to open DEVICE for the\n"
            "port NAME.")
        ->type_name("PORT")
        ->allow_extra_args(false);
    parser
        .add_option_function<std::string>(
            "--model",
            [&options, models, modelNames](const std::string& text) {
                if (base::EqualsIgnoringCase(text, "auto")) {
                    options.model.reset();
                    return;
                }
                const product::Model* model = product::FindModel(text, models);
                if (model == nullptr) {
                    throw CLI::ValidationError(
                        "--model",
                        "Unknown printer model \"" + text + "\"; use " + modelNames + " or auto.");
                }
                options.model = *model;
            },
            modelNames +
                ", or auto (the default): the\n"
                "family from the model name the printer reports.")
        ->type_name("MODEL");
    parser.AddEmulation("--emulation", options.emulation,
                        "native (the default), other02 or other03: the printer\n"
                        "runs the \"Other\" emulation (02 and 03 also do).");
    AddChoice<std::uint32_t>(parser, "--baud", "BPS", NumberChoices(product::kSerialSpeeds),
                             options.baudRate, "Serial speed (default 9600).");
    AddChoice<std::uint32_t>(parser, "--data-bits", "N", NumberChoices(product::kDataBits),
                             options.dataBits, "7 or 8 (default 8).");
    AddChoice<std::uint32_t>(parser, "--parity", "P",
                             {{"none", platform::kParityNone},
                              {"odd", platform::kParityOdd},
                              {"even", platform::kParityEven}},
                             options.parity, "none (default), odd or even.");
    AddChoice<std::uint32_t>(parser, "--stop-bits", "N",
                             {{"1", platform::kStopBitsOne},
                              {"1.5", platform::kStopBitsOneAndHalf},
                              {"2", platform::kStopBitsTwo}},
                             options.stopBits, "1 (default), 1.5 or 2.");
    parser
        .add_option("--trace", options.traceFile, "Record every exchange with the printer in FILE.")
        ->type_name("FILE");
    parser
        .add_option_function<std::string>(
            "--simulate",
            [&options](const std::string& text) {
                auto model = SimulatedModel(text);
                if (!model) {
                    throw CLI::ValidationError("--simulate", "Unknown printer model \"" + text +
                                                                 "\"; use KRT-310, KRT-310II or "
                                                                 "KRT-620.");
                }
                options.simulate = model;
            },
            "Put a simulated printer behind every port: KRT-310,\n"
            "KRT-310II or KRT-620.")
        ->type_name("MODEL");
    parser.add_flag("--json", options.json, "Print the outcome as one JSON object.");
    parser.add_flag("-q,--quiet", options.quiet,
                    "Show no progress on standard error (shown only on a\n"
                    "terminal, and never with --json).");
    parser.add_flag("-v,--verbose", options.verbose, "Also print the program's diagnostic lines.");
    parser.AddHelp(options.help);
}

// The switches that set, deploy and undo share; undo always reads the printer first, to show
// what it will change.
void DefineWriting(CLI::App& command, CliOptions& options, bool backupOptional = true) {
    command.add_flag("--dry-run", options.dryRun,
                     "Show what would change and the frames that would\n"
                     "go out; change nothing.");
    if (backupOptional) {
        command.add_flag("--no-backup", options.noBackup,
                         "Do not save the printer's settings before writing.");
    }
    command.add_flag("--no-verify", options.noVerify,
                     "Do not read the printer back after writing.");
    command.add_option("--backup-dir", options.backupDir, "Where backups go (default: here).")
        ->type_name("DIR");
    command.add_flag("--retune-line", options.retuneLine,
                     "After writing, move this computer's serial line to\n"
                     "the serial settings written (\"Memory Switch On\").");
}

CLI::App* AddCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     bool& help) {
    CLI::App* command = parent.add_subcommand(
        name, description +
                  "\nThe options of corvane-cli --help (--port, --model, --json, ...) "
                  "apply too.\n");
    command->add_flag("-h,--help", help, "Show this help and exit.");
    return command;
}

using CommandKinds = std::map<const CLI::App*, CliCommand>;

void Define(OptionParser& parser, CliOptions& options, CommandKinds& kinds,
            std::span<const product::Model> models) {
    DefineCommon(parser, options, models);
    parser.add_flag("--version", options.version, "Show the program's version and exit.");
    parser.fallthrough();
    auto add = [&](CLI::App& parent, const std::string& name, const std::string& description,
                   CliCommand kind) {
        CLI::App* command = AddCommand(parent, name, description, options.help);
        kinds[command] = kind;
        return command;
    };
    CLI::App* ports = add(parser, "ports",
                          "Lists every port name with its device, whether it can be opened\n"
                          "and what to do when not, and the USB printers found.",
                          CliCommand::Ports);
    ports->add_option("--sysfs-root", options.sysfsRoot, "Where the system describes USB devices.")
        ->type_name("DIR");
    ports->add_option("--dev-root", options.devRoot, "Where the USB printer devices are.")
        ->type_name("DIR");
    add(parser, "identify",
        "Connects as the window's Connect does, then reads the printer's\n"
        "maker, model, firmware and language.",
        CliCommand::Identify);
    CLI::App* get = add(parser, "get",
                        "Reads the memory switches and settings (Get Status) and prints\n"
                        "them as JSON, or saves them with -o.",
                        CliCommand::Get);
    get->add_option("-o,--output", options.outputFile,
                    "Save to FILE: a status file when its name ends in\n"
                    "\"sts\", JSON otherwise.")
        ->type_name("FILE");
    CLI::App* set = add(parser, "set",
                        "Writes the settings of FILE (a status file or JSON) with Set\n"
                        "Status: saves a backup first and reads the printer back after.",
                        CliCommand::Set);
    set->add_option("file", options.settingsFile, "The settings to write.")->type_name("FILE");
    DefineWriting(*set, options);
    CLI::App* deploy = add(parser, "deploy",
                           "Runs set on every PORT, several at once (--jobs), each on its\n"
                           "own thread, and sums up which printers succeeded.",
                           CliCommand::Deploy);
    deploy->add_option("file", options.settingsFile, "The settings to write.")->type_name("FILE");
    deploy
        ->add_option_function<std::vector<std::string>>(
            "ports",
            [&options](const std::vector<std::string>& values) {
                options.ports.insert(options.ports.end(), values.begin(), values.end());
            },
            "The printers' ports.")
        ->type_name("PORT...");
    deploy
        ->add_option_function<std::string>(
            "-j,--jobs",
            [&options](const std::string& text) {
                int jobs = 0;
                if (!ParseInt(text, jobs) || jobs < 1 || jobs > kMostDeployJobs) {
                    throw CLI::ValidationError("--jobs", "\"" + text +
                                                             "\" is not a number from 1 to " +
                                                             std::to_string(kMostDeployJobs) + ".");
                }
                options.jobs = jobs;
            },
            "Work on at most N printers at once (default " + std::to_string(kDefaultDeployJobs) +
                ", at most " + std::to_string(kMostDeployJobs) + ").")
        ->type_name("N");
    DefineWriting(*deploy, options);
    add(parser, "print-status",
        "Makes the printer print its settings (Print Status; in the\n"
        "\"Other\" emulation the line-mode print status command).",
        CliCommand::PrintStatus);
    CLI::App* selfTest = add(parser, "self-test", "Makes the printer print self-test page 1 or 2.",
                             CliCommand::SelfTest);
    selfTest
        ->add_option_function<std::string>(
            "page",
            [&options](const std::string& text) {
                if (text != "1" && text != "2") {
                    throw CLI::ValidationError("page", "\"" + text + "\" is not 1 or 2.");
                }
                options.selfTestPage = text == "1" ? 1 : 2;
            },
            "1 or 2.")
        ->type_name("1|2");

    CLI::App* alignment = add(parser, "alignment",
                              "The KRT-620's vertical alignment. Subcommands:\n"
                              "  pattern       print the alignment pattern and cut\n"
                              "  verify        print the verification pattern and cut\n"
                              "  store A B C D store the offsets (-3 to 3) of rows [A] to [D]",
                              CliCommand::None);
    add(*alignment, "pattern", "Prints the alignment pattern and cuts the paper.",
        CliCommand::AlignmentPattern);
    add(*alignment, "verify", "Prints the verification pattern and cuts the paper.",
        CliCommand::AlignmentVerify);
    CLI::App* store = add(*alignment, "store", "Stores the offsets of rows [A] to [D].",
                          CliCommand::AlignmentStore);
    store
        ->add_option_function<std::vector<std::string>>(
            "offsets",
            [&options](const std::vector<std::string>& values) {
                if (values.size() != options.alignmentOffsets.size()) {
                    throw CLI::ValidationError("offsets",
                                               "Give four offsets, for rows [A] to [D].");
                }
                for (std::size_t row = 0; row < values.size(); ++row) {
                    int offset = 0;
                    if (!ParseInt(values[row], offset) || offset < -3 || offset > 3) {
                        throw CLI::ValidationError(
                            "offsets", "\"" + values[row] + "\" is not an offset from -3 to 3.");
                    }
                    options.alignmentOffsets[row] = offset;
                }
            },
            "-3 to 3 for each of rows [A], [B], [C] and [D].")
        ->type_name("A B C D");

    CLI::App* lineMode = add(parser, "linemode",
                             "Settings of printers in the \"Other\" emulation. Subcommands:\n"
                             "  set SETTING=CHOICE...  change these settings (see list)\n"
                             "  speed BPS              give the printer a new serial speed\n"
                             "  list                   show the settings and their choices",
                             CliCommand::None);
    CLI::App* lineModeSet = add(*lineMode, "set",
                                "Changes the settings named, as the line-mode windows' Set does,\n"
                                "and makes the printer print them. CHOICE is the window's text\n"
                                "or its position from 0; \"linemode list\" shows both.",
                                CliCommand::LineModeSet);
    lineModeSet->add_option("choices", options.lineModeChoices, "SETTING=CHOICE, one or more.")
        ->type_name("SETTING=CHOICE...");
    CLI::App* speed = add(*lineMode, "speed",
                          "Gives a KRT-310 family printer whose emulation answer is 03 a new\n"
                          "serial speed; the link keeps its own.",
                          CliCommand::LineModeSpeed);
    std::vector<std::string_view> speeds;
    for (const auto& choice : product::kSerialSpeeds) {
        speeds.push_back(choice.text);
    }
    AddChoice<std::uint32_t>(*speed, "bps", "BPS", NumberChoices(product::kSerialSpeeds),
                             options.lineModeSpeed, base::JoinList(speeds) + ".");
    add(*lineMode, "list", "Shows the line-mode settings and their choices.",
        CliCommand::LineModeList);

    add(parser, "scan",
        "Finds printers: asks every serial port there is (or each --port)\n"
        "at every line setting the printers offer, and the parallel, USB\n"
        "and network printers, and tells where each one is, its line,\n"
        "emulation, model and firmware. It sends only the version-id\n"
        "request, or with --emulation other02|other03 only the emulation\n"
        "query, which a printer in the \"Other\" emulation answers.",
        CliCommand::Scan);

    CLI::App* convert = add(parser, "convert",
                            "Converts between a status file and JSON without a printer; a\n"
                            "status file names no family, so give --model for one.",
                            CliCommand::Convert);
    convert->add_option("input", options.settingsFile, "The file to read.")->type_name("IN");
    convert->add_option("output", options.convertOutput, "The file to write.")->type_name("OUT");

    add(parser, "history",
        "Lists the writes to printers, oldest first, from the history in the\n"
        "user's state folder; with --port only those to that printer.",
        CliCommand::History);
    CLI::App* undo = add(parser, "undo",
                         "Writes back the settings that the latest recorded write to the\n"
                         "printer on --port replaced, for its model, as set does: it shows\n"
                         "what will change, saves a backup and reads the printer back.",
                         CliCommand::Undo);
    DefineWriting(*undo, options, false);
    CLI::App* diff = add(parser, "diff",
                         "Compares two sets of settings setting by setting: A and B are\n"
                         "status files or JSON files, or give a printer for one or both with\n"
                         "--port. Exits with 0 when they are the same, 6 when they differ.",
                         CliCommand::Diff);
    diff->add_option("files", options.diffFiles, "The settings files compared.")
        ->type_name("A [B]")
        ->expected(0, 2);
}

constexpr char kDescription[] =
    "Every printer operation of Corvane Manager from a shell, for VANTORA KRT-310,\n"
    "KRT-310II and KRT-620 printers. Commands (each has --help):\n"
    "  ports         the ports, whether they can be used, and the USB printers\n"
    "  identify      connect and tell maker, model, firmware and language\n"
    "  get           read the settings as JSON or into a status file\n"
    "  set FILE      write settings, with a backup before and a check after\n"
    "  deploy FILE PORT...  set on many printers at once\n"
    "  print-status  make the printer print its settings\n"
    "  self-test 1|2 print a self-test page\n"
    "  alignment     the KRT-620's vertical alignment\n"
    "  linemode      settings of printers in the \"Other\" emulation\n"
    "  convert IN OUT  between status files and JSON\n"
    "  scan          find printers and the line settings they answer at\n"
    "  history       the writes to printers, from the user's history\n"
    "  undo          write back what the latest write to a printer replaced\n"
    "  diff A B      how two sets of settings (files or printers) differ\n"
    "Exit status: 0 success, 1 printer error, 2 usage error, 3 verification mismatch,\n"
    "4 port unavailable, 5 a print queue or USB printer could not be given back,\n"
    "6 the settings compared differ, 70 stopped by an unexpected error, 74 the\n"
    "result could not be written to standard output.\n";

// The deepest subcommand that the line names.
const CLI::App* Selected(const CLI::App& app) {
    const CLI::App* at = &app;
    while (!at->get_subcommands().empty()) {
        at = at->get_subcommands().front();
    }
    return at;
}

}  // namespace

CliParseResult ParseCliOptions(std::span<const std::string> arguments,
                               std::span<const product::Model> models) {
    CliParseResult result;
    OptionParser parser("corvane-cli", kDescription);
    CommandKinds kinds;
    Define(parser, result.options, kinds, models);
    result.ok = parser.Parse(arguments, result.error);
    result.usage = parser.help();
    if (!result.ok) {
        return result;
    }
    auto kind = kinds.find(Selected(parser));
    result.options.command = kind == kinds.end() ? CliCommand::None : kind->second;
    return result;
}

std::optional<product::Model> ProductModel(sim::Model simulated) {
    const product::Model* model = product::ModelNamed(sim::ModelName(simulated));
    if (model == nullptr) {
        return std::nullopt;
    }
    return *model;
}

}  // namespace corvane::startup
