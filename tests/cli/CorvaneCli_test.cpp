// corvane-cli end to end: the real binary against corvane-sim printers on pseudo-terminals,
// through the real serial backend.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include "Programs.h"
#include "operations/StatusValues.h"
#include "service/SettingsDocument.h"

namespace corvane::cli::test {
namespace {

using nlohmann::json;

json Json(const std::string& text) {
    return json::parse(text, nullptr, false);
}

// Guards against get, set and the backup disagreeing about the settings, and against a status
// file restoring anything but what was saved.
TEST(CorvaneCli, GetSetWithBackupAndVerifyThenRestoreFromAStatusFile) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--model", "KRT-310II"}));
    TempDir dir;
    const std::string before = printer.Settings();

    Finished got = RunCli({"get", "--port", printer.Port(), "-o", dir / "before.json"});
    ASSERT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.err.find("Success to get status of printer."), std::string::npos);
    json settings = Json(ReadFile(dir / "before.json"));
    ASSERT_TRUE(settings.is_object());
    EXPECT_EQ(settings["family"], "KRT-310/310II");
    EXPECT_EQ(settings["printer"]["model"], "KRT-310II");
    EXPECT_EQ(settings["baudRate"], "9600");

    settings.erase("printer");
    settings["defaultCodePage"] = "Code Page CASIO";
    settings["switch2"]["Buffer Size"] = "40Bytes";
    settings["baudRate"] = "19200";
    settings["parity"] = "Even";
    settings["paperWidth"] = "57.5mm (2.26\")";
    settings["usePowerSave"] = true;
    settings["powerSaveSeconds"] = 120;
    WriteText(dir / "new.json", settings.dump(2));
    Finished set = RunCli(
        {"set", dir / "new.json", "--port", printer.Port(), "--backup-dir", dir.Path(), "--json"});
    ASSERT_EQ(set.status, 0) << set.out << set.err;
    json report = Json(set.out);
    EXPECT_EQ(report["written"], true);
    EXPECT_EQ(report["verified"], true);
    EXPECT_EQ(report["changes"].size(), 7u) << report["changes"].dump();
    // The code page CASIO (33) is pins 3 and 4 of switch 2; "40Bytes" is pin 6 of switch 8 on.
    EXPECT_EQ(printer.StateLine("memory switch 2"), "00001100");
    EXPECT_EQ(printer.StateLine("memory switch 8").substr(2, 1), "1");
    EXPECT_EQ(printer.StateLine("serial speed"), "19200");
    EXPECT_EQ(printer.StateLine("serial parity"), "2");
    EXPECT_EQ(printer.StateLine("paper width"), "2");
    EXPECT_EQ(printer.StateLine("power save seconds"), "120");

    // The backup is what get saw before the write.
    std::string backup = report["backup"];
    EXPECT_EQ(Json(ReadFile(backup)), Json(ReadFile(dir / "before.json")));

    Finished converted = RunCli({"convert", backup, dir / "restore.sts"});
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(std::filesystem::file_size(dir / "restore.sts"), 124u);
    Finished restored = RunCli({"set", dir / "restore.sts", "--port", printer.Port(), "--no-backup",
                                "--model", "KRT-310II"});
    ASSERT_EQ(restored.status, 0) << restored.out << restored.err;
    EXPECT_NE(restored.out.find("Written and read back the same."), std::string::npos);
    EXPECT_EQ(printer.Settings(), before);
}

// Guards against a write that did not take being reported as a success.
TEST(CorvaneCli, VerifyReportsEverySettingThePrinterIgnored) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--model", "KRT-620", "--stuck-switch", "5"}));
    TempDir dir;
    Finished got = RunCli({"get", "--port", printer.Port()});
    ASSERT_EQ(got.status, 0) << got.err;
    json settings = Json(got.out);
    settings["switch5"]["Special F/W Pin #3"] = "Switch On";
    settings["defaultCodePage"] = "Code Page PC928 - Greek";
    WriteText(dir / "620.json", settings.dump());

    Finished set =
        RunCli({"set", dir / "620.json", "--port", printer.Port(), "--backup-dir", dir.Path()});
    EXPECT_EQ(set.status, 3) << set.out << set.err;
    EXPECT_NE(set.out.find("The printer reads back otherwise:\n"
                           "  switch5.Special F/W Pin #3: wrote Switch On, reads Switch Off\n"),
              std::string::npos)
        << set.out;
    // The code page went in; only the stuck switch differs.
    EXPECT_EQ(set.out.find("defaultCodePage: wrote"), std::string::npos) << set.out;
    EXPECT_EQ(printer.StateLine("memory switch 1"), "00100110");
}

// Guards against a dry run that changes the printer or writes a backup.
TEST(CorvaneCli, DryRunShowsChangesAndFramesAndSendsNoSetting) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--model", "KRT-310"}));
    TempDir dir;
    Finished got = RunCli({"get", "--port", printer.Port()});
    ASSERT_EQ(got.status, 0) << got.err;
    json settings = Json(got.out);
    settings["baudRate"] = "19200";
    WriteText(dir / "fast.json", settings.dump());
    const std::string before = printer.Settings();

    Finished dry = RunCli({"set", dir / "fast.json", "--dry-run", "--port", printer.Port(),
                           "--backup-dir", dir.Path()});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("Would change 1 setting:\n  baudRate: 9600 -> 19200\n"),
              std::string::npos)
        << dry.out;
    // Enter user setting mode, then the serial settings with "19200" and pL 09.
    EXPECT_NE(dry.out.find("08 5E 45 01 00 01"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("08 5E 45 09 00 0B  |.^E...|"), std::string::npos) << dry.out;
    EXPECT_EQ(printer.Settings(), before);
    EXPECT_EQ(printer.State().find("EnterUserSetting"), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().rfind("backup-", 0), std::string::npos);
    }

    // Without a port nothing is opened at all: the frames come from the file alone.
    Finished offline = RunCli({"set", dir / "fast.json", "--dry-run"});
    ASSERT_EQ(offline.status, 0) << offline.err;
    EXPECT_NE(offline.out.find("08 5E 45 09 00 0B"), std::string::npos);
    EXPECT_NE(offline.out.find("nothing was opened or written"), std::string::npos);
}

// Guards against a bad file reaching a printer: each is refused naming the file, the key and
// what is allowed, before the port is even opened.
TEST(CorvaneCli, BadInputIsRefusedBeforeAnyByteGoesToThePrinter) {
    SimPrinter printer;
    ASSERT_TRUE(printer.Start({"--model", "KRT-310"}));
    TempDir dir;
    WriteText(dir / "broken.json", "{\"format\": \"corvane-settings\",");
    WriteText(dir / "unknown.json", R"({"format": "corvane-settings", "formatVersion": 1,
        "family": "KRT-620", "defaultCodePage": "No Change", "switch5": {}, "buzzer": "On"})");
    json value = json::parse(service::SettingsJson(service::DocumentFromRecord(
        protocol::PrinterModel::Krt620,
        operations::RecordForModel(protocol::PrinterModel::Krt620, operations::UnsetValues()))));
    value["defaultCodePage"] = "Code Page 999";
    WriteText(dir / "value.json", value.dump());
    WriteText(dir / "short.sts", std::string(100, '\0'));
    const std::vector<std::pair<std::string, std::vector<std::string>>> rows = {
        {"broken.json", {"broken.json: not JSON: parse error"}},
        {"unknown.json", {"unknown.json: unknown key \"buzzer\"", "\"switch5\""}},
        {"value.json",
         {"value.json: defaultCodePage: \"Code Page 999\" is not offered",
          "\"Code Page PC928 - Greek\""}},
        {"short.sts", {"short.sts: a status file has 124 bytes; this one has 100"}},
    };
    for (const auto& [file, said] : rows) {
        SCOPED_TRACE(file);
        Finished set = RunCli(
            {"set", dir / file, "--port", printer.Port(), "--trace", dir / (file + ".trace")});
        EXPECT_EQ(set.status, 2);
        for (const auto& part : said) {
            EXPECT_NE(set.err.find(part), std::string::npos) << set.err;
        }
        EXPECT_EQ(ReadFile(dir / (file + ".trace")), "");
    }
    EXPECT_EQ(printer.StateLine("commands taken"), "0");
}

// Guards against one printer's failure being lost among the others, and against printers that
// wait for each other: eight take about as long as one.
TEST(CorvaneCli, DeployToEightPrintersReportsTheSilentOneAndTakesAboutAsLongAsOne) {
    std::vector<std::unique_ptr<SimPrinter>> printers;
    for (int i = 0; i < 8; ++i) {
        printers.push_back(std::make_unique<SimPrinter>());
        std::vector<std::string> options = {"--model", i % 2 == 0 ? "KRT-310II" : "KRT-310"};
        if (i == 5) {
            options.push_back("--silent");
        }
        ASSERT_TRUE(printers.back()->Start(options));
    }
    TempDir dir;
    Finished got = RunCli({"get", "--port", printers[0]->Port()});
    ASSERT_EQ(got.status, 0) << got.err;
    json settings = Json(got.out);
    settings["parity"] = "Odd";
    settings["switch2"]["Upside-down Printing"] = "Turn On";
    WriteText(dir / "fleet.json", settings.dump());

    Finished one = RunCli(
        {"set", dir / "fleet.json", "--port", printers[2]->Port(), "--backup-dir", dir.Path()});
    ASSERT_EQ(one.status, 0) << one.out << one.err;

    std::vector<std::string> args = {"deploy", dir / "fleet.json", "--backup-dir", dir.Path()};
    for (int i = 0; i < 8; ++i) {
        args.push_back(printers[static_cast<std::size_t>(i)]->Port("COM" + std::to_string(i + 1)));
    }
    Finished deploy = RunCli(args);
    EXPECT_EQ(deploy.status, 1) << deploy.out << deploy.err;
    const std::string silent = printers[5]->Port("COM6");
    EXPECT_NE(deploy.out.find("] " + silent +
                              "  printer error: Port error! Check printer's port, "
                              "please."),
              std::string::npos)
        << deploy.out;
    EXPECT_NE(deploy.out.find("7 of 8 printers succeeded."), std::string::npos) << deploy.out;
    for (int i = 0; i < 8; ++i) {
        const auto& printer = *printers[static_cast<std::size_t>(i)];
        EXPECT_EQ(printer.StateLine("serial parity"), i == 5 ? "0" : "1") << i;
        if (i != 5) {
            EXPECT_NE(deploy.out.find(printer.Port("COM" + std::to_string(i + 1)) +
                                      "  ok, backup " + dir.Path().string() + "/backup-COM" +
                                      std::to_string(i + 1) + "-dev-pts-"),
                      std::string::npos)
                << deploy.out;
        }
    }
    double ratio = deploy.seconds / one.seconds;
    std::cout << "set to one printer: " << one.seconds << " s, deploy to eight: " << deploy.seconds
              << " s, ratio " << ratio << "\n";
    EXPECT_LE(ratio, 1.3);
}

// Guards against a deploy that starts a thread per printer and runs the system out of them: 64
// simulated printers, 16 at a time, succeed within a limit of threads that 17 at once would
// pass, and still all succeed when the limit allows only four at once; when not one thread can
// start, each printer fails on its own and the program says why. The limit holds for a user
// other than root, so root runs it as another one.
TEST(CorvaneCli, DeployTo64PrintersSixteenAtATimeStaysWithinItsThreads) {
    TempDir dir;
    Finished got = RunCli({"get", "--simulate", "KRT-310", "-o", dir / "fleet.json"});
    ASSERT_EQ(got.status, 0) << got.err;
    std::vector<std::string> args = {"deploy",  dir / "fleet.json", "--simulate",
                                     "KRT-310", "--jobs",           "16",
                                     "--json",  "--backup-dir",     dir.Path()};
    for (int i = 1; i <= 64; ++i) {
        args.push_back("COM1=/dev/printer" + std::to_string(i));
    }
    Process::Options nobody;
    if (::geteuid() == 0) {
        nobody.user = 65533;  // a user of its own, so that no other test counts against it
        nobody.group = 65534;
    }
    // The main thread, the signal watch and sixteen printers.
    nobody.threadLimit = 18;
    Finished deploy = RunCli(args, nobody);
    ASSERT_EQ(deploy.status, 0) << deploy.err;
    json outcome = Json(deploy.out);
    EXPECT_EQ(outcome["succeeded"], 64);
    std::set<std::string> backups;
    for (const auto& printer : outcome["printers"]) {
        backups.insert(printer["backup"].get<std::string>());
    }
    EXPECT_EQ(backups.size(), 64u);

    nobody.threadLimit = 6;
    Finished fewer = RunCli(args, nobody);
    ASSERT_EQ(fewer.status, 0) << fewer.err;
    EXPECT_EQ(Json(fewer.out)["succeeded"], 64);

    // The main thread and the signal watch leave none for a printer, nor for the leak check that
    // a sanitizer build runs at exit in a thread of its own.
    nobody.threadLimit = 2;
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    nobody.environment.push_back(std::string("ASAN_OPTIONS=") + (sanitizer ? sanitizer : "") +
                                 ":detect_leaks=0");
    args.resize(args.size() - 61);
    Finished starved = RunCli(args, nobody);
    EXPECT_EQ(starved.status, 70) << starved.err;
    outcome = Json(starved.out);
    EXPECT_EQ(outcome["failed"], 3);
    for (const auto& printer : outcome["printers"]) {
        EXPECT_EQ(
            printer["error"].get<std::string>().rfind("no thread could be started for it: ", 0), 0u)
            << printer.dump();
    }
}

}  // namespace
}  // namespace corvane::cli::test
