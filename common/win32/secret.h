// secret.h
// A password the program holds only as long as it needs it: its characters
// are overwritten in place before the text is replaced, emptied or freed,
// and it cannot be copied. Read it in place through text(); every copy a
// caller makes is the caller's to wipe.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace win32 {

// Overwrites a string's characters in memory, then empties it. The buffer
// stays the string's own, holding zeros.
template <class Char>
void secureWipe(std::basic_string<Char>& secret) {
    if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size() * sizeof(Char));
    secret.clear();
}

class Secret {
public:
    Secret() = default;
    ~Secret() { clear(); }

    // The old text is wiped before the new one takes its place, so a
    // shorter one leaves none of it behind in the buffer. A Secret is never
    // copied: a copy would be one more place to wipe.
    Secret& operator=(std::string_view text) {
        clear();
        m_text.assign(text);
        return *this;
    }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    // Wipes the old text, then lets write put at most n characters and a
    // terminating NUL straight into the buffer: write(buffer, n + 1)
    // returns how many characters it put there.
    template <typename Write>
    void fill(std::size_t n, Write write) {
        clear();
        if (n == 0) return;
        m_text.resize(n + 1);
        const std::size_t got = write(m_text.data(), n + 1);
        if (got > n) clear();
        else m_text.resize(got);
    }

    void clear() { secureWipe(m_text); }
    bool empty() const { return m_text.empty(); }
    std::size_t size() const { return m_text.size(); }
    const char* data() const { return m_text.data(); }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// Reads an edit box straight into target, wiping what target held first:
// no other copy of the text is left behind in freed memory.
inline void readWindowText(HWND box, Secret& target) {
    const int n = GetWindowTextLengthA(box);
    target.fill(n > 0 ? static_cast<std::size_t>(n) : 0, [box](char* buffer, std::size_t size) {
        const int got = GetWindowTextA(box, buffer, static_cast<int>(size));
        return got > 0 ? static_cast<std::size_t>(got) : std::size_t{0};
    });
}

} // namespace win32
