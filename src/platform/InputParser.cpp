#include "platform/InputParser.h"

#include <algorithm>
#include <string_view>

#include "base/CodePage437.h"
#include "platform/KeyCodes.h"
#include "platform/KeyLayout.h"

namespace {

constexpr uint8_t kEsc = 0x1B;

// CSI 27 ; m ; c ~: xterm's modifyOtherKeys report of character c with modifiers m.
constexpr int kModifyOtherKeysNumber = 27;

// Modifier bits as xterm encodes them in its parameter m (bits of m - 1).
constexpr int kModShift = 1, kModAlt = 2, kModCtrl = 4, kModMeta = 8;

// Keys without a character, with their codes by the first modifier
// that applies: Alt, else Ctrl, else Shift, else none (kScanTable below).
enum NamedKey {
    kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF9, kF10, kF11, kF12,
    kHome, kUp, kPageUp, kLeft, kCentre, kRight, kEnd, kDown, kPageDown, kInsert, kDelete,
    kNamedKeyCount
};

// The key's code in each column. The Shift column holds the code as typed
// with Shift alone (its offset included); Alt and Ctrl get the offset added
// when Shift is held too. Keys with no Alt code of their own report their
// plain code with Alt.
struct ScanColumns {
    int normal, shift, ctrl, alt;
};

constexpr ScanColumns kScanTable[kNamedKeyCount] = {
    {kKeyF1, kKeyShiftF1, kKeyCtrlF1, kKeyAltF1},
    {kKeyF2, kKeyShiftF2, kKeyCtrlF2, kKeyAltF2},
    {kKeyF3, kKeyShiftF3, kKeyCtrlF3, kKeyAltF3},
    {kKeyF4, kKeyShiftF4, kKeyCtrlF4, kKeyAltF4},
    {kKeyF5, kKeyShiftF5, kKeyCtrlF5, kKeyAltF5},
    {kKeyF6, kKeyShiftF6, kKeyCtrlF6, kKeyAltF6},
    {kKeyF7, kKeyShiftF7, kKeyCtrlF7, kKeyAltF7},
    {kKeyF8, kKeyShiftF8, kKeyCtrlF8, kKeyAltF8},
    {kKeyF9, kKeyShiftF9, kKeyCtrlF9, kKeyAltF9},
    {kKeyF10, kKeyShiftF10, kKeyCtrlF10, kKeyAltF10},
    {kKeyF11, kKeyShiftF11, kKeyCtrlF11, kKeyAltF11},
    {kKeyF12, kKeyShiftF12, kKeyCtrlF12, kKeyAltF12},
    {kKeyHome, kKeyShiftHome, kKeyCtrlHome, kKeyHome},
    {kKeyUp, kKeyShiftUp, kKeyCtrlUp, kKeyAltUp},
    {kKeyPageUp, kKeyShiftPageUp, kKeyCtrlPageUp, kKeyPageUp},
    {kKeyLeft, kKeyShiftLeft, kKeyCtrlLeft, kKeyAltLeft},
    {kKeyCentre, kKeyShiftCentre, kKeyCtrlCentre, kKeyCentre},  // keypad 5
    {kKeyRight, kKeyShiftRight, kKeyCtrlRight, kKeyAltRight},
    {kKeyEnd, kKeyShiftEnd, kKeyCtrlEnd, kKeyEnd},
    {kKeyDown, kKeyShiftDown, kKeyCtrlDown, kKeyAltDown},
    {kKeyPageDown, kKeyShiftPageDown, kKeyCtrlPageDown, kKeyPageDown},
    {kKeyInsert, kKeyShiftInsert, kKeyCtrlInsert, kKeyInsert},
    {kKeyDelete, kKeyShiftDelete, kKeyCtrlDelete, kKeyDelete},
};

int NamedKeyCode(NamedKey key, int mods) {
    const ScanColumns& columns = kScanTable[key];
    const int shift = (mods & kModShift) ? kKeyShiftOffset : 0;
    if (mods & (kModAlt | kModMeta)) return columns.alt + shift;
    if (mods & kModCtrl) return columns.ctrl + shift;
    return shift != 0 ? columns.shift : columns.normal;
}

// Numbers of the CSI n ~ form. Shift-F3 .. Shift-F10 have numbers of their
// own on the Linux console and rxvt (25 .. 34); 23 and 24 are F11 and F12.
struct TildeKey {
    int number;
    NamedKey key;
    int mods;
};

constexpr TildeKey kTildeKeys[] = {
    {1, kHome, 0},  {2, kInsert, 0}, {3, kDelete, 0}, {4, kEnd, 0},  {5, kPageUp, 0}, {6, kPageDown, 0},
    {7, kHome, 0},  {8, kEnd, 0},    {11, kF1, 0},    {12, kF2, 0},  {13, kF3, 0},    {14, kF4, 0},
    {15, kF5, 0},   {17, kF6, 0},    {18, kF7, 0},    {19, kF8, 0},  {20, kF9, 0},    {21, kF10, 0},
    {23, kF11, 0},  {24, kF12, 0},   {25, kF3, kModShift}, {26, kF4, kModShift}, {28, kF5, kModShift},
    {29, kF6, kModShift}, {31, kF7, kModShift}, {32, kF8, kModShift}, {33, kF9, kModShift},
    {34, kF10, kModShift},
};

// Final bytes of CSI / SS3 that name a key by themselves.
struct FinalKey {
    uint8_t final;
    NamedKey key;
};

// rxvt's final bytes a to d after CSI (Shift) or SS3 (Ctrl): the cursor keys.
constexpr NamedKey kRxvtCursorKeys[4] = {kUp, kDown, kRight, kLeft};

constexpr FinalKey kFinalKeys[] = {
    {'A', kUp}, {'B', kDown}, {'C', kRight}, {'D', kLeft}, {'H', kHome}, {'F', kEnd},
    {'E', kCentre}, {'G', kCentre}, {'P', kF1}, {'Q', kF2}, {'R', kF3}, {'S', kF4},
};

// The application keypad in SS3 form types these characters.
struct KeypadKey {
    uint8_t final;
    int ch;
};

constexpr KeypadKey kKeypadKeys[] = {
    {'j', '*'}, {'k', '+'}, {'l', ','}, {'m', '-'}, {'n', '.'}, {'o', '/'}, {'M', kKeyEnter}, {'X', '='},
    {'p', '0'}, {'q', '1'}, {'r', '2'}, {'s', '3'}, {'t', '4'}, {'u', '5'}, {'v', '6'}, {'w', '7'},
    {'x', '8'}, {'y', '9'},
};

// Alt with the key that gave character code key: the key's scan code, with
// Shift when the character needs it.
int AltKey(int key) {
    int scan = 0;
    bool shifted = false;
    if (CharacterScanCode(key, scan, shifted)) return kKeyExtendedBase + scan + (shifted ? kKeyShiftOffset : 0);
    if (key == kKeyBackspace) return kKeyAltBackspace;
    return key;  // controls and code page letters keep their character
}

int ModifierBits(int parameter) { return parameter > 1 ? (parameter - 1) & 0x0F : 0; }

// A character key reported with modifiers (modifyOtherKeys, CSI u); 0 when it is dropped.
int CharacterWithModifiers(int code, int mods) {
    bool alt = (mods & (kModAlt | kModMeta)) != 0;
    bool ctrl = (mods & kModCtrl) != 0;
    bool shift = (mods & kModShift) != 0;
    if (code == kKeyBackspace || code == kKeyCtrlBackspace) {
        // Ctrl-Backspace keeps its character even with Alt; Alt alone reports Alt-Backspace.
        if (ctrl) return kKeyCtrlBackspace;
        if (alt) return kKeyAltBackspace + (shift ? kKeyShiftOffset : 0);
        return kKeyBackspace;
    }
    if (code == kKeyTab) return shift ? kKeyShiftTab : kKeyTab;
    if (code == kKeyEnter || code == kKeyEsc) return code;
    int ch;
    if (code < 0x80) {
        ch = code;
    } else {
        ch = cp437::FromUnicode(static_cast<char32_t>(code));
        if (ch < 0x20 || ch == 0x7F) return 0;
    }
    if (ch < 0x20 || ch == 0x7F) return ch == 0 ? 0 : ch;
    if (shift && ch >= 'a' && ch <= 'z') ch -= 0x20;
    if (ctrl) {
        if (ch >= 'a' && ch <= 'z') return ch - 'a' + kKeyCtrlA;
        if (ch >= 'A' && ch <= 'Z') return ch - 'A' + kKeyCtrlA;
        if (ch == '-' || ch == '_') return kKeyCtrlMinus;
    }
    if (alt && !ctrl) return AltKey(ch);
    return ch;
}

void SetKey(InputEvent& event, int key) { event = InputEvent{kEventKey, key, 0, 0}; }

// A finished CSI sequence: optional prefix (< = > ?), numeric parameters and final byte.
struct Sequence {
    uint8_t prefix = 0;
    int params[8] = {};
    int count = 0;
    uint8_t final = 0;
    int Param(int i, int fallback) const { return i < count && params[i] > 0 ? params[i] : fallback; }
};

}  // namespace

InputParser::InputParser() : InputParser(Options()) {}

InputParser::InputParser(const Options& optionsArg) : options(optionsArg) {}

int InputParser::ControlKey(uint8_t byte) const {
    if (byte == options.eraseByte) return kKeyBackspace;
    if (byte == 0x08 || byte == 0x7F) return kKeyCtrlBackspace;
    return byte;  // 0 is dropped by the caller; Tab, Enter, Ctrl-letters and Ctrl-minus are their bytes
}

InputParser::Result InputParser::ParseCharacter(const uint8_t* data, int n, bool final, int& key,
                                                int& consumed) const {
    uint8_t b = data[0];
    consumed = 1;
    if (b < 0x20 || b == 0x7F) {
        key = ControlKey(b);
        return key == 0 ? Result::Rejected : Result::Accepted;
    }
    if (b < 0x80) {
        key = b;
        return Result::Accepted;
    }
    char32_t code = 0;
    int length = cp437::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), static_cast<size_t>(n)), code);
    if (length < 0) {
        if (!final) return Result::NeedMore;
        consumed = n;
        return Result::Rejected;
    }
    if (length == 0) return Result::Rejected;  // the lead byte alone is dropped
    consumed = length;
    int ch = cp437::FromUnicode(code);
    // Code page glyphs below 32 and 127 would read as control keys.
    if (ch < 0x20 || ch == 0x7F) return Result::Rejected;
    key = ch;
    return Result::Accepted;
}

InputParser::Result InputParser::Parse(const uint8_t* data, int n, bool final, InputEvent& event,
                                       int& consumed) const {
    consumed = 1;
    if (n <= 0) {
        consumed = 0;
        return Result::Rejected;
    }
    if (data[0] == kEsc) return ParseEscape(data, n, final, event, consumed);
    int key = 0;
    Result result = ParseCharacter(data, n, final, key, consumed);
    if (result == Result::Accepted) SetKey(event, key);
    return result;
}

InputParser::Result InputParser::ParseEscape(const uint8_t* data, int n, bool final, InputEvent& event,
                                             int& consumed) const {
    if (n == 1) {
        if (!final) return Result::NeedMore;
        consumed = 1;
        SetKey(event, kKeyEsc);
        return Result::Accepted;
    }
    uint8_t second = data[1];
    if (second == '[') return ParseCsi(data, n, final, event, consumed, 0);
    if (second == 'O') return ParseSs3(data, n, final, event, consumed, 0);
    if (second == kEsc) {
        // ESC ESC [ ... and ESC ESC O ...: Alt with a key sequence (rxvt).
        if (n == 2 && !final) return Result::NeedMore;
        if (n >= 3 && (data[2] == '[' || data[2] == 'O')) {
            Result inner = data[2] == '[' ? ParseCsi(data + 1, n - 1, final, event, consumed, kModAlt)
                                          : ParseSs3(data + 1, n - 1, final, event, consumed, kModAlt);
            if (inner != Result::NeedMore) consumed += 1;
            return inner;
        }
        consumed = 1;  // Esc, then whatever the second ESC starts
        SetKey(event, kKeyEsc);
        return Result::Accepted;
    }
    int key = 0;
    int used = 0;
    Result result = ParseCharacter(data + 1, n - 1, final, key, used);
    if (result == Result::NeedMore) return result;
    if (result == Result::Rejected) {
        consumed = 1 + used;
        return result;
    }
    consumed = 1 + used;
    SetKey(event, AltKey(key));
    return Result::Accepted;
}

InputParser::Result InputParser::ParseCsi(const uint8_t* data, int n, bool final, InputEvent& event,
                                          int& consumed, int extraMods) const {
    // data[0..1] is ESC [.
    if (n == 2) {
        if (!final) return Result::NeedMore;
        consumed = 2;
        SetKey(event, AltKey('['));
        return Result::Accepted;
    }
    if (data[2] == '[') {
        // Linux console F1..F5: ESC [ [ A .. E.
        if (n == 3) {
            if (!final) return Result::NeedMore;
            consumed = 3;
            return Result::Rejected;
        }
        consumed = 4;
        if (data[3] >= 'A' && data[3] <= 'E') {
            SetKey(event, NamedKeyCode(static_cast<NamedKey>(kF1 + (data[3] - 'A')), extraMods));
            return Result::Accepted;
        }
        return Result::Rejected;
    }
    if (data[2] == 'M') {
        // X10 mouse: ESC [ M, then button + 32, column + 33, row + 33.
        if (n < 6) {
            if (!final) return Result::NeedMore;
            consumed = n;
            return Result::Rejected;
        }
        consumed = 6;
        if (!options.mouse) return Result::Rejected;
        int button = data[3] - 32;
        if (button < 0) return Result::Rejected;
        int x = std::max(0, data[4] - 33);
        int y = std::max(0, data[5] - 33);
        if ((button & 3) == 3) {
            // The X10 form does not say which button was released.
            if (leftDown) button = (button & ~3) | kRawRelease;
            else if (rightDown) button = (button & ~3) | 2 | kRawRelease;
            else return Result::Rejected;
        }
        event = InputEvent{kEventRawMouse, button, x, y};
        return Result::Accepted;
    }
    Sequence sequence;
    int i = 2;
    if (data[i] >= 0x3C && data[i] <= 0x3F) sequence.prefix = data[i++];
    int current = -1;  // parameter being read, -1 before its first digit
    for (;; ++i) {
        if (i >= kMaxSequence) {
            consumed = i;
            return Result::Rejected;
        }
        if (i >= n) {
            if (!final) return Result::NeedMore;
            consumed = n;
            return Result::Rejected;
        }
        uint8_t c = data[i];
        if (c >= '0' && c <= '9') {
            current = std::min(99999, (current < 0 ? 0 : current) * 10 + (c - '0'));
        } else if (c == ';' || c == ':') {
            if (sequence.count < 8) sequence.params[sequence.count++] = current < 0 ? 0 : current;
            current = -1;
        } else if (c >= 0x3C && c <= 0x3F) {
            // private parameter bytes in the middle: malformed, but finish the sequence
        } else if ((c >= 0x40 && c <= 0x7E) || c == '$') {
            // '$' is rxvt's Shift suffix; as input it always ends a sequence.
            if (current >= 0 && sequence.count < 8) sequence.params[sequence.count++] = current;
            sequence.final = c;
            consumed = i + 1;
            break;
        } else if (c >= 0x20 && c <= 0x2F) {
            // intermediate bytes: no key uses them
        } else {
            // A byte that cannot be part of the sequence: drop what came before it.
            consumed = i;
            return Result::Rejected;
        }
    }

    const uint8_t f = sequence.final;
    if (sequence.prefix == '<') {
        if ((f != 'M' && f != 'm') || sequence.count < 3 || !options.mouse) return Result::Rejected;
        int button = sequence.params[0] & 0xFF;
        if (f == 'm') button |= kRawRelease;
        event = InputEvent{kEventRawMouse, button, std::max(0, sequence.params[1] - 1),
                           std::max(0, sequence.params[2] - 1)};
        return Result::Accepted;
    }
    if (sequence.prefix != 0) return Result::Rejected;

    if (f == '~' && sequence.count == 1 && extraMods == 0 &&
        (sequence.params[0] == kPasteStartNumber || sequence.params[0] == kPasteEndNumber)) {
        // The start of a bracketed paste; an end without a start is dropped.
        if (sequence.params[0] == kPasteEndNumber) return Result::Rejected;
        event = InputEvent{kEventRawPasteStart, 0, 0, 0};
        return Result::Accepted;
    }
    if (f == '~' || f == '$' || f == '^' || f == '@') {
        int number = sequence.Param(0, 0);
        int mods = ModifierBits(sequence.Param(1, 1)) | extraMods;
        if (f == '$') mods |= kModShift;
        if (f == '^') mods |= kModCtrl;
        if (f == '@') mods |= kModCtrl | kModShift;
        if (number == kModifyOtherKeysNumber && f == '~') {
            int key = CharacterWithModifiers(sequence.Param(2, 0), mods);
            if (key <= 0) return Result::Rejected;
            SetKey(event, key);
            return Result::Accepted;
        }
        for (const TildeKey& entry : kTildeKeys) {
            if (entry.number == number) {
                SetKey(event, NamedKeyCode(entry.key, mods | entry.mods));
                return Result::Accepted;
            }
        }
        return Result::Rejected;
    }
    if (f == 'u') {
        int key = CharacterWithModifiers(sequence.Param(0, 0), ModifierBits(sequence.Param(1, 1)) | extraMods);
        if (key <= 0) return Result::Rejected;
        SetKey(event, key);
        return Result::Accepted;
    }
    if (f == 'Z') {
        SetKey(event, kKeyShiftTab);  // with or without Alt
        return Result::Accepted;
    }
    if (f >= 'a' && f <= 'd') {
        // rxvt: Shift with the cursor keys.
        SetKey(event, NamedKeyCode(kRxvtCursorKeys[f - 'a'], kModShift | extraMods));
        return Result::Accepted;
    }
    for (const FinalKey& entry : kFinalKeys) {
        if (entry.final == f) {
            SetKey(event, NamedKeyCode(entry.key, ModifierBits(sequence.Param(1, 1)) | extraMods));
            return Result::Accepted;
        }
    }
    return Result::Rejected;  // focus reports, paste brackets and anything unknown
}

InputParser::Result InputParser::ParseSs3(const uint8_t* data, int n, bool final, InputEvent& event,
                                          int& consumed, int extraMods) const {
    // data[0..1] is ESC O.
    if (n == 2) {
        if (!final) return Result::NeedMore;
        consumed = 2;
        SetKey(event, AltKey('O'));
        return Result::Accepted;
    }
    // Some terminals put a modifier between O and the final byte (ESC O 5 A, ESC O 1;5 A).
    int i = 2;
    int mods = extraMods;
    int current = 0;
    while (i < n && ((data[i] >= '0' && data[i] <= '9') || data[i] == ';')) {
        if (data[i] == ';') current = 0;
        else current = std::min(99999, current * 10 + (data[i] - '0'));
        mods = ModifierBits(current) | extraMods;
        ++i;
        if (i >= 16) {
            consumed = i;
            return Result::Rejected;
        }
    }
    if (i >= n) {
        if (!final) return Result::NeedMore;
        consumed = n;
        return Result::Rejected;
    }
    uint8_t f = data[i];
    if (i == 2 && (f < 0x40 || f > 0x7E)) {
        // Not a sequence: Alt-O followed by an ordinary key.
        consumed = 2;
        SetKey(event, AltKey('O'));
        return Result::Accepted;
    }
    consumed = i + 1;
    for (const FinalKey& entry : kFinalKeys) {
        if (entry.final == f) {
            SetKey(event, NamedKeyCode(entry.key, mods));
            return Result::Accepted;
        }
    }
    if (f >= 'a' && f <= 'd') {
        // rxvt: Ctrl with the cursor keys.
        SetKey(event, NamedKeyCode(kRxvtCursorKeys[f - 'a'], kModCtrl | extraMods));
        return Result::Accepted;
    }
    for (const KeypadKey& entry : kKeypadKeys) {
        if (entry.final == f) {
            SetKey(event, entry.ch);
            return Result::Accepted;
        }
    }
    return Result::Rejected;
}

bool InputParser::CookMouse(InputEvent& event, int64_t nowMs) {
    int code = event.key;
    bool release = (code & kRawRelease) != 0;
    int button = code & 3;
    bool motion = (code & 32) != 0;
    bool wheel = (code & 64) != 0 && (code & 128) == 0;
    int x = event.x, y = event.y;
    event.key = -1;
    if ((code & 128) != 0) return false;  // buttons 8 to 11
    if (wheel) {
        // Buttons 64 and 65 are the vertical wheel (whatever modifiers are
        // held); 66 and 67, the sideways wheel, and any release form are dropped.
        if (release || motion || button > 1) return false;
        event.type = button == 0 ? kEventWheelUp : kEventWheelDown;
        return true;
    }
    if (motion && !release) {
        if (button != 0 || (x == lastX && y == lastY)) return false;  // right drags and hovering
        lastX = x;
        lastY = y;
        event.type = kEventLeftDrag;
        return true;
    }
    lastX = x;
    lastY = y;
    if (button == 0) {
        if (release) {
            // Only a button seen going down can come up (not one pressed before we started).
            if (!leftDown) return false;
            leftDown = false;
            event.type = kEventLeftRelease;
            return true;
        }
        leftDown = true;
        if (clickArmed && x == lastPressX && y == lastPressY && nowMs - lastPressMs < kDoubleClickMs &&
            nowMs >= lastPressMs) {
            clickArmed = false;  // a third press starts over
            event.type = kEventDoubleClick;
            return true;
        }
        clickArmed = true;
        lastPressMs = nowMs;
        lastPressX = x;
        lastPressY = y;
        event.type = kEventLeftPress;
        return true;
    }
    if (button == 2) {
        if (release && !rightDown) return false;
        rightDown = !release;
        event.type = release ? kEventRightRelease : kEventRightPress;
        return true;
    }
    return false;  // middle button
}

size_t InputParser::TakePaste(size_t start, int64_t nowMs) {
    static constexpr char kEnd[] = "\033[201~";
    static constexpr int kEndLength = 6;
    pasteLastMs = nowMs;
    while (start < pending.size()) {
        char b = static_cast<char>(pending[start++]);
        if (b == kEnd[pasteMatch]) {
            if (++pasteMatch == kEndLength) {
                pasteMatch = 0;
                FinishPaste();
                return start;
            }
            continue;
        }
        // A false start of the terminator is pasted text after all.
        AppendPaste(kEnd, pasteMatch);
        pasteMatch = 0;
        if (b == kEnd[0]) {
            pasteMatch = 1;
        } else {
            AppendPaste(&b, 1);
        }
    }
    return start;
}

void InputParser::AppendPaste(const char* bytes, int n) {
    for (int i = 0; i < n && paste.size() < kMaxPaste; ++i) paste += bytes[i];
}

void InputParser::FinishPaste() {
    pasting = false;
    if (!paste.empty()) events.push_back(InputEvent{kEventPaste, 0, 0, 0, cp437::FromUtf8(paste)});
    paste.clear();
}

void InputParser::Drain(bool final, int64_t nowMs) {
    size_t start = 0;
    while (start < pending.size()) {
        if (pasting) {
            start = TakePaste(start, nowMs);
            continue;
        }
        if (skipping) {
            // The rest of an over-long sequence, up to and including its final byte.
            uint8_t b = pending[start];
            if (b >= 0x20 && b <= 0x3F) {
                ++start;
                continue;
            }
            skipping = false;
            if (b >= 0x40 && b <= 0x7E) {
                ++start;
                continue;
            }
        }
        InputEvent event{};
        int consumed = 0;
        Result result = Parse(pending.data() + start, static_cast<int>(pending.size() - start), final, event, consumed);
        if (result == Result::NeedMore) break;
        start += static_cast<size_t>(std::max(1, consumed));
        if (result == Result::Rejected && consumed >= kMaxSequence) skipping = true;
        if (result != Result::Accepted) continue;
        if (event.type == kEventRawMouse) {
            if (!options.mouse || !CookMouse(event, nowMs)) continue;
        }
        if (event.type == kEventRawPasteStart) {
            pasting = true;
            pasteMatch = 0;
            paste.clear();
            pasteLastMs = nowMs;
            continue;
        }
        events.push_back(event);
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(std::min(start, pending.size())));
}

void InputParser::Feed(uint8_t byte, int64_t nowMs) {
    pending.push_back(byte);
    Drain(false, nowMs);
}

void InputParser::Feed(const uint8_t* bytes, int n, int64_t nowMs) {
    for (int i = 0; i < n; ++i) Feed(bytes[i], nowMs);
}

void InputParser::Expire(int64_t nowMs) {
    // A paste whose end did not come was no paste: its bytes are read again
    // as ordinary input (and may hold the start of another).
    while (pasting) {
        pasting = false;
        std::string raw = paste + std::string("\033[201~", static_cast<size_t>(pasteMatch));
        paste.clear();
        pasteMatch = 0;
        pending.insert(pending.begin(), raw.begin(), raw.end());
        Drain(true, nowMs);
    }
    Drain(true, nowMs);
}

int InputParser::SettleDelayMs(int escapeDelayMs) const { return pasting ? kPasteIdleMs : escapeDelayMs; }

bool InputParser::Next(InputEvent& event) {
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
}
