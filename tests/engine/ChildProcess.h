#pragma once
// A forked child process running a test body, with a pipe each way, for
// tests of several processes on one file. Fork only while this process has
// no engine file open, so that the child opens its own SQLite connections.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <functional>

namespace enginetest {

// A forked child with a pipe each way; killed on destruction if still alive.
class Child {
public:
    explicit Child(const std::function<int(Child&)>& body) {
        int down[2], up[2];
        if (pipe(down) != 0 || pipe(up) != 0) abort();
        pid_ = fork();
        if (pid_ == 0) {
            ::close(down[1]);
            ::close(up[0]);
            in_ = down[0];
            out_ = up[1];
            _exit(body(*this));
        }
        ::close(down[0]);
        ::close(up[1]);
        out_ = down[1];
        in_ = up[0];
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        ::close(in_);
        ::close(out_);
    }
    void send(uint32_t v) {
        if (write(out_, &v, 4) != 4) {}
    }
    // False at end of file (the other side is gone).
    bool receive(uint32_t* v) { return read(in_, v, 4) == 4; }
    uint32_t receive() {
        uint32_t v = 0xFFFFFFFF;
        receive(&v);
        return v;
    }
    void killNow() { kill(pid_, SIGKILL); }
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
};

}  // namespace enginetest
