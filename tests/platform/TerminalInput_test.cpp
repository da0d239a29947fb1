#include "platform/TerminalInput.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "platform/SystemHooks.h"

namespace {

// A pipe stands in for the terminal: the input source only needs a descriptor.
class PipeInput {
public:
    explicit PipeInput(int escapeDelayMs) {
        EXPECT_EQ(0, pipe(fds));
        InputParser::Options options;
        input = std::make_unique<TerminalInput>(fds[0], options, escapeDelayMs);
    }
    ~PipeInput() {
        close(fds[0]);
        if (fds[1] >= 0) close(fds[1]);
    }
    void Send(const std::string& bytes) {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), write(fds[1], bytes.data(), bytes.size()));
    }
    void CloseWriter() {
        close(fds[1]);
        fds[1] = -1;
    }
    TerminalInput& Input() { return *input; }

private:
    int fds[2] = {-1, -1};
    std::unique_ptr<TerminalInput> input;
};

}  // namespace

TEST(TerminalInput, ReadsKeysFromBytes) {
    PipeInput pipeInput(0);
    TerminalInput& input = pipeInput.Input();
    InputEvent event{};
    input.Read(event, 0);
    EXPECT_EQ(kEventNone, event.type);
    EXPECT_FALSE(input.Pending());
    pipeInput.Send("\x1b[A\xc3\xa9q");
    EXPECT_TRUE(input.Pending());
    input.Read(event, -1);
    EXPECT_EQ(1072, event.key);
    input.Read(event, 0);
    EXPECT_EQ(130, event.key);
    input.Read(event, 0);
    EXPECT_EQ('q', event.key);
    input.Read(event, 0);
    EXPECT_EQ(kEventNone, event.type);
}

TEST(TerminalInput, LoneEscIsSettledEvenByAReadWithoutWaiting) {
    PipeInput pipeInput(5);
    pipeInput.Send("\x1b");
    InputEvent event{};
    EXPECT_TRUE(pipeInput.Input().Pending());
    pipeInput.Input().Read(event, 0);
    EXPECT_EQ(kEventKey, event.type);
    EXPECT_EQ(27, event.key);
}

TEST(TerminalInput, EndOfInputAnswersEsc) {
    PipeInput pipeInput(0);
    pipeInput.Send("a");
    pipeInput.CloseWriter();
    InputEvent event{};
    pipeInput.Input().Read(event, -1);
    EXPECT_EQ('a', event.key);
    for (int i = 0; i < 3; ++i) {
        pipeInput.Input().Read(event, -1);
        EXPECT_EQ(kEventKey, event.type);
        EXPECT_EQ(27, event.key);
    }
}

namespace {
const char* FakeEnvironment(const char* name) {
    std::string key(name);
    if (key == "ESCDELAY") return "120";
    if (key == "QDX_MOUSE") return "0";
    if (key == "NO_COLOR") return "1";
    return nullptr;
}
const char* EmptyEnvironment(const char*) { return nullptr; }
const char* BadEnvironment(const char* name) { return std::string(name) == "ESCDELAY" ? "12x" : ""; }
}  // namespace

TEST(SystemHooks, SettingsFromTheEnvironment) {
    SetEnvironmentLookup(FakeEnvironment);
    EXPECT_EQ(120, EscapeDelayMs());
    EXPECT_FALSE(MouseEnabled());
    EXPECT_FALSE(ColourWanted());
    SetEnvironmentLookup(EmptyEnvironment);
    EXPECT_EQ(50, EscapeDelayMs());
    EXPECT_TRUE(MouseEnabled());
    EXPECT_TRUE(ColourWanted());
    SetEnvironmentLookup(BadEnvironment);
    EXPECT_EQ(50, EscapeDelayMs());
    EXPECT_TRUE(ColourWanted());  // NO_COLOR set but empty does not count
    SetEnvironmentLookup(nullptr);
}

TEST(TerminalInput, ReadWithoutWaitingTakesBytesAlreadyQueued) {
    // Bytes that reached the descriptor before the read are input, not a time-out.
    PipeInput pipeInput(0);
    pipeInput.Send("x");
    InputEvent event{};
    pipeInput.Input().Read(event, 0);
    EXPECT_EQ(kEventKey, event.type);
    EXPECT_EQ('x', event.key);
    pipeInput.Send("\x1b[B");
    pipeInput.Input().Read(event, 0);
    EXPECT_EQ(1080, event.key);
    pipeInput.Input().Read(event, 0);
    EXPECT_EQ(kEventNone, event.type);
}
