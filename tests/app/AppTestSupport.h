#pragma once
// Shared by the dictionary and qdxutil tests: the built programs and engine
// library (QDX_BIN_DIR, else ../bin beside the test executable), scratch
// directories, and running qdxutil with its output captured.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace apptest {

inline std::string BinDir() {
    const char* bin = std::getenv("QDX_BIN_DIR");
    if (bin != nullptr && *bin != '\0') return bin;
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self(path, n > 0 ? static_cast<size_t>(n) : 0);
    return std::filesystem::path(self).parent_path().parent_path().string() + "/bin";
}

// Makes the in-process binding load the real engine library.
inline void UseRealEngine() { setenv("QDX_ENGINE_LIBRARY", (BinDir() + "/libqdxengine.so").c_str(), 1); }

// A fresh directory, removed with everything in it on destruction.
class ScratchDir {
public:
    ScratchDir() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qdxapp-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) != nullptr) path = buffer.data();
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path; }
    std::string operator/(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs qdxutil with args; environment is a prefix such as "DDFPATH=x " (may be empty).
inline ToolResult RunQdxutil(const std::vector<std::string>& args, const std::string& environment = "") {
    static int counter = 0;
    std::string base = "/tmp/qdxapp-run-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    std::string command = environment + ShellQuote(BinDir() + "/qdxutil");
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " >" + base + ".out 2>" + base + ".err";
    int raw = std::system(command.c_str());
    ToolResult r;
    r.exitCode = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(base + ".out");
    r.err = ReadFile(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line)) lines.push_back(line);
    return lines;
}

}  // namespace apptest
