// corvane-cli's history, undo and diff end to end, and its progress line on a terminal.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>

#include "Programs.h"

namespace corvane::cli::test {
namespace {

using nlohmann::json;

json Json(const std::string& text) {
    return json::parse(text, nullptr, false);
}

// Guards against an undo that does not bring the printer back, that picks another record than
// the latest set, or that goes unrecorded itself.
TEST(CorvaneCliHistory, UndoWritesBackWhatTheLatestSetReplaced) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--model", "KRT-310II"}));
    TempDir dir;
    Process::Options state;
    state.environment = {"XDG_STATE_HOME=" + dir.Path().string()};
    const std::string before = printer.Settings();

    Finished got = RunCli({"get", "--port", printer.Port(), "-o", dir / "before.json"}, state);
    ASSERT_EQ(got.status, 0) << got.err;
    json settings = Json(ReadFile(dir / "before.json"));
    settings.erase("printer");
    settings["switch2"]["Buffer Size"] = "40Bytes";
    settings["paperWidth"] = "57.5mm (2.26\")";
    WriteText(dir / "new.json", settings.dump());
    Finished set = RunCli(
        {"set", dir / "new.json", "--port", printer.Port(), "--backup-dir", dir.Path()}, state);
    ASSERT_EQ(set.status, 0) << set.out << set.err;
    ASSERT_NE(printer.Settings(), before);

    Finished listed = RunCli({"history", "--port", printer.Port(), "--json"}, state);
    ASSERT_EQ(listed.status, 0) << listed.err;
    json records = Json(listed.out)["records"];
    ASSERT_EQ(records.size(), 1u) << listed.out;
    EXPECT_EQ(records[0]["program"], "corvane-cli");
    EXPECT_EQ(records[0]["action"], "set");
    EXPECT_EQ(records[0]["model"], "KRT-310II");
    EXPECT_EQ(records[0]["verified"], true);
    json read = Json(ReadFile(dir / "before.json"));
    read.erase("printer");
    EXPECT_EQ(records[0]["before"], read);

    Finished undo = RunCli({"undo", "--port", printer.Port(), "--backup-dir", dir.Path()}, state);
    ASSERT_EQ(undo.status, 0) << undo.out << undo.err;
    const auto shown = undo.out.find("Will change 2 settings:\n");
    const auto written = undo.out.find("Written and read back the same.");
    EXPECT_NE(shown, std::string::npos) << undo.out;
    EXPECT_LT(shown, written) << undo.out;
    EXPECT_EQ(printer.Settings(), before);

    Finished after = RunCli({"history", "--json"}, state);
    records = Json(after.out)["records"];
    ASSERT_EQ(records.size(), 2u) << after.out;
    EXPECT_EQ(records[1]["action"], "undo");
    EXPECT_EQ(records[1]["written"], records[0]["before"]);
}

// Guards against diff missing a difference, finding one between a status file and the same
// settings in JSON, comparing two families, or an exit status that does not say which.
TEST(CorvaneCliHistory, DiffComparesFilesAndPrintersSettingBySetting) {
    TempDir dir;
    ASSERT_EQ(RunCli({"get", "--simulate", "KRT-310II", "-o", dir / "a.json"}).status, 0);
    ASSERT_EQ(RunCli({"get", "--simulate", "KRT-620", "-o", dir / "620.json"}).status, 0);
    json b = Json(ReadFile(dir / "a.json"));
    b["switch2"]["Buffer Size"] = "40Bytes";
    b["baudRate"] = "19200";
    WriteText(dir / "b.json", b.dump());
    for (const char* name : {"a", "b"}) {
        ASSERT_EQ(RunCli({"convert", dir / (std::string(name) + ".json"),
                          dir / (std::string(name) + ".sts")})
                      .status,
                  0);
    }
    struct Case {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> keys;
    };
    const std::vector<Case> cases = {
        {{dir / "a.json", dir / "a.sts"}, 0, {}},
        {{dir / "a.json", dir / "b.json"}, 6, {"switch2.Buffer Size", "baudRate"}},
        {{dir / "a.sts", dir / "b.sts"}, 2, {}},
        {{dir / "a.sts", dir / "b.sts", "--model", "KRT-310II"},
         6,
         {"switch2.Buffer Size", "baudRate"}},
        {{dir / "a.json", dir / "620.json"}, 2, {}},
        {{dir / "b.sts", "--port", "COM1", "--simulate", "KRT-310II"},
         6,
         {"switch2.Buffer Size", "baudRate"}},
        {{dir / "a.json", "--port", "COM1", "--simulate", "KRT-310II"}, 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"diff", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Finished diff = RunCli(args);
        SCOPED_TRACE(diff.out + diff.err);
        EXPECT_EQ(diff.status, c.status);
        std::vector<std::string> keys;
        for (const auto& difference : Json(diff.out).value("differences", json::array())) {
            keys.push_back(difference["key"]);
        }
        EXPECT_EQ(keys, c.keys);
    }
}

// Guards against progress that reaches a file or a pipe, or none on a terminal.
TEST(CorvaneCliHistory, ProgressShowsOnATerminalOnly) {
    const std::vector<std::string> get = {"get", "--simulate", "KRT-310II"};
    Finished toFile = RunCli(get);
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(toFile.err.find('\r'), std::string::npos) << toFile.err;

    int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    Process process;
    Process::Options onTerminal;
    onTerminal.errorDevice = ::ptsname(terminal);
    ASSERT_TRUE(process.Start(kCliBinary, get, onTerminal));
    Finished toTerminal = process.Wait();
    ASSERT_EQ(toTerminal.status, 0);
    std::string shown;
    char buffer[4096];
    pollfd ready{terminal, POLLIN, 0};
    while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN) != 0) {
        ssize_t count = ::read(terminal, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        shown.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(terminal);
    EXPECT_NE(shown.find("\r[##"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Reading the settings"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Success to get status of printer."), std::string::npos) << shown;
}

}  // namespace
}  // namespace corvane::cli::test
