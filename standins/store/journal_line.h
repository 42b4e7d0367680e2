#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The journal's line format (README, "The journal"), written by the servers
// and read back by the tests: the event word, then key=value fields,
// separated by tabs, ending in CR LF. Values are escaped so that a line never
// holds a tab or a line break of its own.
namespace standin::journal {

// Backslash, tab, CR, LF and other control characters become \\, \t, \r, \n, \xHH.
std::string Escape(std::string_view value);
std::string Unescape(std::string_view value);
// An array element's value: additionally ',', '[', ']' and the backslash as
// \xHH, so that "[a,b]" splits at its commas after the field is unescaped.
std::string EscapeElement(std::string_view value);

// VARTYPE bits, as Automation numbers them.
inline constexpr std::uint16_t kVtArray = 0x2000;
inline constexpr std::uint16_t kVtByRef = 0x4000;
inline constexpr std::uint16_t kVtTypeMask = 0x0FFF;
inline constexpr std::uint16_t kVtIllegal = 0xFFFF;
// "VT_I2|VT_BYREF", "VT_ARRAY|VT_VARIANT"; "VT_73" for a type without a name.
std::string TypeText(std::uint16_t vt);

// A value, written "TYPE:text".
struct Value {
  std::string type;      // "VT_BSTR|VT_BYREF"
  std::uint16_t vt = 0;  // the same as a VARTYPE; kVtIllegal for a name it does not know
  std::string text;      // "EXCHANGE1\npelttest", "5", "true", "Messages#2", "[4x2]"
  bool ByRef() const { return (vt & kVtByRef) != 0; }
  std::uint16_t Base() const { return vt & kVtTypeMask; }
  // An omitted optional argument (VT_ERROR DISP_E_PARAMNOTFOUND).
  bool Omitted() const;
  // The elements of a one-dimensional array value.
  std::vector<Value> Elements() const;
  bool operator==(const Value&) const = default;
};
std::string Format(const Value& value);
Value ParseValue(std::string_view written);

// One line: an object created or released, or a call.
struct Event {
  enum class Kind { Created, Call, Released };
  Kind kind = Kind::Call;
  unsigned long pid = 0;
  std::string object;  // "Session#1"
  std::string type;    // "Session", when read back
  // Calls only.
  std::string member;  // "?" for an unknown DISPID
  long dispid = 0;
  bool byName = false;  // looked up by name since the last call with that DISPID
  std::string flags;    // "method", "get", "method|get", "put", "putref", "lookup"
  std::string names;    // a lookup's unknown parameter names, comma-separated
  unsigned long argc = 0;
  std::vector<long> named;  // DISPIDs of the named arguments, in the order of args
  std::vector<Value> args;  // positional ones in order, then the named ones
  bool ok = false;
  Value result;    // when ok
  long error = 0;  // when not ok: the error number or failing HRESULT
  std::string description;
  std::string line;  // the line as read, without its line end

  // A call that reached Invoke (not a failed name lookup).
  bool IsInvocation() const { return kind == Kind::Call && flags != "lookup"; }
  bool operator==(const Event&) const = default;
};

// The line with its CR LF.
std::string Line(const Event& event);
// A line without its line end; nullopt for one the servers do not write.
std::optional<Event> Parse(std::string_view line);

}  // namespace standin::journal
