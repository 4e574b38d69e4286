// Running a built program as users run it: its exit status, and what it printed to its output
// and to its errors, kept in files of the test's own folder.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

struct ToolRun {
    int status;  // the exit status, -1 when the program did not exit
    std::string out, err;
};

// The whole of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::string& path) {
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}

// The built program `name` of tools/<name>/.
inline std::string ToolPath(const std::string& name) {
    return std::string(VTRL_BINARY_DIR) + "/tools/" + name + "/" + name;
}

// Runs a shell command line with its output and errors sent to files in `dir`.
inline ToolRun RunTool(const TempDir& dir, const std::string& commandLine) {
    const std::string cmd = commandLine + " >'" + dir.file("out") + "' 2>'" + dir.file("err") + "'";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(dir.file("out")),
            ReadWholeFile(dir.file("err"))};
}
