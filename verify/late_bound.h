// late_bound.h
// Calls on an automation object by DISPID, as a late-bound host makes
// them: property gets (also indexed ones, called as methods) and property
// puts. A failing call throws ControlError carrying the HRESULT and the
// error's description, so that a control's error ends the handler it
// happens in, as an error raised inside an event handler does.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <stdexcept>
#include <string>

#include "common/com/variant.h"

namespace latebound {

class ControlError : public std::runtime_error {
public:
    ControlError(HRESULT hr, std::string description);
    HRESULT hr() const noexcept { return m_hr; }
    // The error's number as the control raises it (0x800A0000 | n gives n),
    // or the HRESULT itself for other failures.
    long number() const noexcept;
    const std::string& description() const noexcept { return m_description; }

private:
    HRESULT m_hr;
    std::string m_description;
};

// A get of id with args given first to last (by-reference views are fine:
// com::refShort). Throws ControlError.
com::Variant get(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args = {});
std::string getText(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args = {});
LONG getLong(IDispatch* object, DISPID id, std::initializer_list<VARIANT> args = {});

// A put of id. Throws ControlError.
void put(IDispatch* object, DISPID id, const VARIANT& value);

} // namespace latebound
