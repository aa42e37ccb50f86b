// The command line of ostrel-station. Every option only saves a step a
// person would otherwise take in a dialog, so that a scripted run (and a
// station set up once for one model on one port) needs no clicking through.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct StationOptions {
    std::string port;                  // empty: the port dialog asks
    std::filesystem::path printers;    // folder of printers configuration files (*.cfg)
    std::string model;                 // empty: the printer selection dialog asks
    std::filesystem::path testers;     // the testers database
    std::filesystem::path reports;     // where report files (and the debug log) go
    std::filesystem::path pdf;         // save the report as PDF here instead of printing it
    std::filesystem::path log;         // the library's debug log
    bool once = false;                 // test one printer, then exit with its outcome
};

// A model of the printers folder: its name (the file name without .cfg)
// and its configuration file.
struct StationModel {
    std::string name;
    std::filesystem::path cfg;
};

struct StationUsageError {
    std::string what;
};
struct StationFailure {
    std::string what;
};

extern const char* const kStationUsage;

// Parses our options; Qt's own (single dash: -platform NAME, -style NAME ...)
// are left for QApplication. Throws StationUsageError. Defaults come from
// the environment (XDG_DATA_HOME, HOME) and the current folder.
StationOptions ParseStationOptions(const std::vector<std::string>& args);

// The *.cfg files of the folder in name order; throws StationFailure when
// the folder cannot be read or holds none.
std::vector<StationModel> ListStationModels(const std::filesystem::path& folder);

// Checks what must exist before a window opens; throws StationFailure.
void CheckStationOptions(const StationOptions& o);
