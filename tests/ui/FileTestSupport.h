#pragma once
// Real directories for the file dialog's tests: a private temporary tree
// (removed afterwards) and a way to run a check as a user who is not root.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/CodePage437.h"
#include "platform/SystemHooks.h"

namespace uitest {

class TempTree {
public:
    TempTree() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/qdx_filedlg_XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) != nullptr) root = buf.data();
        chmod(root.c_str(), 0755);  // a child that gave up root must be able to enter it
    }
    ~TempTree() {
        if (!root.empty()) {
            std::system(("chmod -R u+rwx '" + root + "' 2>/dev/null").c_str());
            std::system(("rm -rf '" + root + "'").c_str());
        }
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // Names are given in UTF-8, as the file system holds them.
    void File(const std::string& utf8Name) const { std::ofstream(root + "/" + utf8Name) << "x"; }
    void Dir(const std::string& utf8Name, mode_t mode = 0755) const {
        mkdir((root + "/" + utf8Name).c_str(), mode);
        chmod((root + "/" + utf8Name).c_str(), mode);
    }
    // The tree's root as the program names it (code page 437).
    std::string Cp437() const { return cp437::FromUtf8(root); }

    std::string root;  // UTF-8
};

// Runs body in a forked child; as root the child first becomes nobody, so
// that permissions apply to it. Returns the body's result, 100 + signal when
// the child died, 99 when it could not give up root.
inline int RunAsNonRoot(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// While it lives, the environment holds HOME = home (null: HOME unset) and nothing else.
class HomeOverride {
public:
    explicit HomeOverride(const char* home) {
        Home() = home;
        SetEnvironmentLookup([](const char* name) -> const char* {
            return std::string(name) == "HOME" ? Home() : nullptr;
        });
    }
    ~HomeOverride() { SetEnvironmentLookup(nullptr); }
    HomeOverride(const HomeOverride&) = delete;
    HomeOverride& operator=(const HomeOverride&) = delete;

private:
    static const char*& Home() {
        static const char* home = nullptr;
        return home;
    }
};

}  // namespace uitest
