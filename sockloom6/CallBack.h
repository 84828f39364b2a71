// CallBack.h
// How the HTTP and FTP clients deliver an event when their CallBackObject
// is set: the method of the event's name is called late-bound on that
// object, with the client itself first and the event's arguments after;
// an object without that method is skipped, and any error it raises is
// ignored (the client goes on as after an event). With none set, the
// event goes to every connection point of the client: its own event
// interface's and those of its earlier versions (EarlierVersions.h).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

#include "ScriptDispatch.h"
#include "common/com/com.h"
#include "events.h"

namespace sockloom {

void callBackByName(IDispatch* target, const wchar_t* name, IDispatch* self, std::initializer_list<VARIANT> args);

// The dispatch entry of a client whose interface I has a CallBackObject
// property: the property, and the raising of events as above. points is
// the client itself (its com::ConnectionPoints entry).
template <typename I>
class CallBackDispatch : public ScriptDispatch<I> {
public:
    HRESULT STDMETHODCALLTYPE get_CallBackObject(IDispatch** CallBackObject) override {
        return m_CallBackObject.copyTo(CallBackObject);
    }
    HRESULT STDMETHODCALLTYPE putref_CallBackObject(IDispatch* CallBackObject) override {
        m_CallBackObject = com::ComPtr<IDispatch>(CallBackObject);
        return S_OK;
    }

protected:
    ~CallBackDispatch() = default;

    template <typename... Sinks>
    void raiseEvent(com::ConnectionPoints<Sinks...>& points, const events::Event& event,
                    std::initializer_list<VARIANT> args) {
        // Handlers may let the last reference to this object go.
        const com::ComPtr<I> self(static_cast<I*>(this));
        if (com::ComPtr<IDispatch> target = m_CallBackObject) {
            callBackByName(target.get(), event.name, self.get(), args);
            return;
        }
        fireEvent(points, event, args);
    }

    // To the connection points, whether or not a CallBackObject is set.
    template <typename... Sinks>
    void fireEvent(com::ConnectionPoints<Sinks...>& points, const events::Event& event,
                   std::initializer_list<VARIANT> args) {
        const com::ComPtr<I> self(static_cast<I*>(this));
        (points.template connectionPoint<Sinks>().fire(event, args), ...);
    }

private:
    com::ComPtr<IDispatch> m_CallBackObject;
};

}  // namespace sockloom
