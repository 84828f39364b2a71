// CallBack.h
// How the HTTP and FTP clients deliver an event when their CallBackObject
// is set: the method of the event's name is called late-bound on that
// object, with the client itself first and the event's arguments after;
// an object without that method is skipped, and any error it raises is
// ignored (the client goes on as after an event).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>

namespace sockloom {

void callBackByName(IDispatch* target, const wchar_t* name, IDispatch* self, std::initializer_list<VARIANT> args);

}  // namespace sockloom
