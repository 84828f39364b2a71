// events.h
// The library's events by name. Each event dispinterface of
// sockloom_v6.idl (__zkSockets, __zkTCP, __zkUDP, __zkHTTP10,
// __zkFTPclient) is a namespace here named without its underscores, with
// one Event a method and `all` of them in the idl's order:
//   connectionPoint<__zkTCP>().fire(events::zkTCP::DataSent, {...});
// The build writes them from the idl (events_from_idl.cmake), so a
// dispatch identifier is set in one place only.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sockloom::events {

struct Event {
    DISPID id;
    // The method's name: what a CallBackObject is called by.
    const wchar_t* name;
    // How many arguments a sink receives.
    UINT arguments;

    // An event stands wherever its dispatch identifier is wanted.
    constexpr operator DISPID() const noexcept { return id; }
};

}  // namespace sockloom::events

#include "sockloom_v6_events.h"
