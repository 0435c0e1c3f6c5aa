#include "kwin/dispatch.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <memory>
#include <utility>

#include "korvane/error.h"
#include "korvane/run_report.h"
#include "kwin/text.h"

namespace kwin {

namespace {

// what (HRESULT 0x80041010): the system's text, when it has one.
std::string ComErrorText(std::string_view what, HRESULT result, std::string reason = {}) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  if (reason.empty()) {
    reason = SystemErrorText(static_cast<unsigned long>(result));
    if (reason == korvane::UnknownSystemErrorText(static_cast<unsigned long>(result)))
      reason.clear();
  }
  std::string text = std::string(what) + " (HRESULT " + code + ")";
  return reason.empty() ? text : text + ": " + reason;
}

[[noreturn]] void Fail(std::string_view what, HRESULT result, std::string reason = {}) {
  throw korvane::Error(ComErrorText(what, result, std::move(reason)));
}

std::string TakeText(BSTR& text) {
  std::string narrow = text ? korvane::TrimSystemReason(Narrow(text)) : std::string();
  SysFreeString(text);
  text = nullptr;
  return narrow;
}

struct Releaser {
  void operator()(IUnknown* object) const { object->Release(); }
};

}  // namespace

Variant::Variant() { VariantInit(&v_); }

Variant::Variant(std::string_view utf8) {
  VariantInit(&v_);
  std::wstring wide = Widen(utf8);
  v_.vt = VT_BSTR;
  v_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!v_.bstrVal) throw std::bad_alloc();
}

Variant::Variant(const Variant& other) {
  VariantInit(&v_);
  // MinGW declares the source of VariantCopy and VariantChangeType non-const.
  HRESULT result = VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
  if (FAILED(result)) Fail("Cannot copy a value", result);
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Variant::Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&v_);
    v_ = other.v_;
    VariantInit(&other.v_);
  }
  return *this;
}

Variant::~Variant() { VariantClear(&v_); }

std::string Variant::Text() const {
  if (v_.vt == VT_BSTR) return v_.bstrVal ? Narrow(v_.bstrVal) : std::string();
  Variant text;
  HRESULT result = VariantChangeType(&text.v_, const_cast<VARIANT*>(&v_), 0, VT_BSTR);
  if (FAILED(result))
    Fail("Cannot read a value of type " + std::to_string(v_.vt) + " as text", result);
  return text.Text();
}

Dispatch Variant::Object() const {
  IUnknown* unknown = v_.vt == VT_DISPATCH  ? v_.pdispVal
                      : v_.vt == VT_UNKNOWN ? v_.punkVal
                                            : nullptr;
  if (!unknown) throw korvane::Error("Not an object: a value of type " + std::to_string(v_.vt));
  IDispatch* object = nullptr;
  HRESULT result = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
  if (FAILED(result)) Fail("Not an automation object", result);
  return Dispatch(object);
}

Dispatch::Dispatch(Dispatch&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}

Dispatch& Dispatch::operator=(Dispatch&& other) noexcept {
  if (this != &other) {
    if (p_) p_->Release();
    p_ = std::exchange(other.p_, nullptr);
  }
  return *this;
}

Dispatch::~Dispatch() {
  if (p_) p_->Release();
}

Dispatch Dispatch::Create(std::string_view progId) {
  std::string what = "Cannot create " + std::string(progId);
  CLSID id;
  HRESULT result = CLSIDFromProgID(Widen(progId).c_str(), &id);
  if (FAILED(result)) Fail(what, result);
  IDispatch* object = nullptr;
  result = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(&object));
  if (FAILED(result)) Fail(what, result);
  return Dispatch(object);
}

Variant Dispatch::Call(std::string_view name, const std::vector<Variant>& arguments) const {
  return Invoke(name, DISPID_UNKNOWN, DISPATCH_METHOD, arguments);
}

Variant Dispatch::Get(std::string_view name) const {
  // Asked as a script asks for obj.Name; some objects (Wine's WMI ones)
  // answer nothing else.
  return Invoke(name, DISPID_UNKNOWN, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
}

void Dispatch::ForEach(const std::function<void(const Variant& item)>& visit) const {
  // A script's For Each asks for the member with the reserved id of _NewEnum.
  Variant collection =
      Invoke("_NewEnum", DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
  IUnknown* unknown = collection.get()->vt == VT_UNKNOWN    ? collection.get()->punkVal
                      : collection.get()->vt == VT_DISPATCH ? collection.get()->pdispVal
                                                            : nullptr;
  if (!unknown) throw korvane::Error("_NewEnum gave no enumerator");
  IEnumVARIANT* raw = nullptr;
  HRESULT result = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&raw));
  if (FAILED(result)) Fail("_NewEnum gave no enumerator of variants", result);
  std::unique_ptr<IEnumVARIANT, Releaser> enumerator(raw);
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    if (enumerator->Next(1, item.get(), &fetched) != S_OK) return;
    visit(item);
  }
}

Variant Dispatch::Invoke(std::string_view name, DISPID id, WORD flags,
                         const std::vector<Variant>& arguments) const {
  if (!p_) throw korvane::Error("No object to ask for " + std::string(name));
  std::wstring wide = Widen(name);
  HRESULT result = S_OK;
  if (id == DISPID_UNKNOWN) {
    LPOLESTR names[] = {wide.data()};
    result = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result)) Fail("Unknown member " + std::string(name), result);
  }
  // Automation takes the arguments last to first.
  std::vector<VARIANT> reversed;
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->get());
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  Variant value;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  result = p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, value.get(),
                      &exception, &badArgument);
  if (SUCCEEDED(result)) return value;
  std::string what =
      (flags == DISPATCH_METHOD ? "Call of " : "Reading ") + std::string(name) + " failed";
  if (result != DISP_E_EXCEPTION) Fail(what, result);
  // The object describes its own failure.
  if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  std::string reason = TakeText(exception.bstrDescription);
  TakeText(exception.bstrSource);
  TakeText(exception.bstrHelpFile);
  Fail(what, FAILED(exception.scode) ? exception.scode : result, reason);
}

}  // namespace kwin
