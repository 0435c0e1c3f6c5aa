#pragma once
// Late-bound automation: objects reached through IDispatch, their methods
// called and their properties read by name, as a script would. Every failure
// throws korvane::Error naming what was asked, with the HRESULT and the
// system's or the object's text for it.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kwin {

class Dispatch;

// An owning VARIANT.
class Variant {
 public:
  Variant();
  // A text argument (BSTR).
  explicit Variant(std::string_view utf8);
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  ~Variant();

  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }

  // The value converted to text as automation converts it (a number gives
  // its digits); throws when it has no text, as a null value has not.
  std::string Text() const;
  // The object held (VT_DISPATCH, or VT_UNKNOWN that answers IDispatch).
  Dispatch Object() const;

 private:
  VARIANT v_;
};

// An owning reference to an automation object.
class Dispatch {
 public:
  Dispatch() = default;
  // Takes over one reference of the object.
  explicit Dispatch(IDispatch* adopted) : p_(adopted) {}
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  Dispatch(Dispatch&& other) noexcept;
  Dispatch& operator=(Dispatch&& other) noexcept;
  ~Dispatch();

  // Creates the object registered under the programmatic identifier
  // ("WbemScripting.SWbemLocator"). COM must be initialised on the thread.
  static Dispatch Create(std::string_view progId);

  IDispatch* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Calls the method with the arguments, in the order written.
  Variant Call(std::string_view name, const std::vector<Variant>& arguments = {}) const;
  // Reads the property.
  Variant Get(std::string_view name) const;
  // Walks the collection through its enumerator (_NewEnum), item by item,
  // until the enumerator delivers none.
  void ForEach(const std::function<void(const Variant& item)>& visit) const;

 private:
  Variant Invoke(std::string_view name, DISPID id, WORD flags,
                 const std::vector<Variant>& arguments) const;

  IDispatch* p_ = nullptr;
};

}  // namespace kwin
