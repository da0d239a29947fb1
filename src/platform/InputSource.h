#pragma once
// InputSource: where key and mouse events come from (the terminal, or a
// script in tests). The toolkit reads it through ReadInput (ui/Input.h).

#include "platform/InputEvent.h"

class InputSource {
public:
    virtual ~InputSource() = default;
    // Fills event with the next action. timeoutMs < 0 waits without limit;
    // otherwise, when nothing arrives within about timeoutMs milliseconds,
    // event.type is kEventNone.
    virtual void Read(InputEvent& event, int timeoutMs) = 0;
    // True when an event is waiting (or has begun to arrive); consumes nothing.
    virtual bool Pending() = 0;
};
