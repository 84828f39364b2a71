// RefArg.h
// An object handed to a handler by reference: the handler may put another
// object (or none) in its place, and whatever the slot holds afterwards
// is ours to release.
#pragma once

namespace sockloom {

template <typename I>
class RefArg {
public:
    explicit RefArg(I* p) noexcept : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ~RefArg() {
        if (m_p) m_p->Release();
    }
    RefArg(const RefArg&) = delete;
    RefArg& operator=(const RefArg&) = delete;
    I** address() noexcept { return &m_p; }

private:
    I* m_p;
};

}  // namespace sockloom
