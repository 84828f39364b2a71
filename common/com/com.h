// com.h
// The project's COM plumbing in one include, for server sources.
//
//   object.h        com::Object<...> (IUnknown), make, createInstance
//   typeinfo.h      Dispatch<I> (IDispatch from the embedded type library),
//                   ProvideClassInfo2<Coclass, Events>, typeInfos()
//   errors.h        raiseError, controlError/objectError, SupportErrorInfo<...>, guard
//   connection.h    ConnectionPoints<Sinks...>, ConnectionPoint::fire / forEach
//   control_site.h  ControlSite (a container's site for one control), NamelessDispatch
//   module.h        classEntry table, getClassObject, canUnloadNow, module path
//   registration.h  ClassRegistration table, registerServer, unregisterServer
//   ptr.h bstr.h variant.h safearray.h   ComPtr, Bstr, Variant, SafeArray
//   trace.h         COM_TRACE (debug builds only)
//
// A dual-interface class with events:
//
//   class Thing final : public com::Object<com::Dispatch<IThing>, com::SupportErrorInfo<IThing>,
//                                          com::ProvideClassInfo2<::Thing, _ThingEvents>,
//                                          com::ConnectionPoints<_ThingEvents>> {
//   public:
//       HRESULT STDMETHODCALLTYPE put_Count(LONG n) override {
//           if (n < 0) return com::raiseError(com::controlError(380), IID_IThing, L"Thing");
//           m_count = n;
//           return connectionPoint<_ThingEvents>().fire(1, {com::argLong(n)});
//       }
//       ...
//   };
#pragma once

#include "bstr.h"
#include "connection.h"
#include "errors.h"
#include "module.h"
#include "object.h"
#include "ptr.h"
#include "common/com/registration.h"
#include "safearray.h"
#include "trace.h"
#include "typeinfo.h"
#include "variant.h"
