// held_button.cpp
#include "held_button.h"

namespace held_button {

bool Repeat::press(int button, int mouseButton) {
    m_pressedWith = mouseButton;
    if ((button != kPrevious && button != kNext) || mouseButton != kLeft) return false;
    m_button = button;
    return true;
}

void Repeat::end() {
    m_button = -1;
    m_interval = kFirstDelayMs;
}

void Repeat::release() { end(); }

int Repeat::tick() {
    m_interval = kRepeatMs;
    if (!running()) {
        end();
        return -1;
    }
    return m_button;
}

void Repeat::stepFailed() { end(); }

bool Repeat::clickCounts(int button) const { return m_pressedWith != kRight && button >= 0 && button <= 7; }

bool pointerOver(int x, int y, int width, int height) { return !(x <= 0 || x > width || y < 0 || y > height); }

} // namespace held_button
