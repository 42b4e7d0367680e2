#include "win32/dispatch_mail.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>
#include <vector>

#include "win32/com.h"

namespace pelterwyn::win32 {

namespace {

using mail::Binding;
using mail::ObjectResult;

// A member, or a parameter, with its dispatch identifier where one is known.
struct Member {
  const wchar_t* name;
  DISPID dispid = DISPID_UNKNOWN;
};

constexpr Member kLogon{L"Logon", 119};
constexpr Member kLogoff{L"Logoff", 118};
constexpr Member kName{L"Name", 23};
constexpr Member kInbox{L"Inbox", 15};
constexpr Member kOutbox{L"Outbox", 16};
constexpr Member kGetDefaultFolder{L"GetDefaultFolder", 153};
// A parameter's identifier is its position.
constexpr Member kProfileInfo{L"ProfileInfo", 6};

constexpr Member kMessages{L"Messages", 22};
constexpr Member kFolders{L"Folders"};

constexpr Member kCount{L"Count"};
constexpr Member kAdd{L"Add"};

constexpr Member kRecipients{L"Recipients", 28};
constexpr Member kSubject{L"Subject", 38};
constexpr Member kText{L"Text", 39};
constexpr Member kAttachments{L"Attachments", 5};
constexpr Member kSend{L"Send", 131};

constexpr Member kAddress{L"Address", 2};
constexpr Member kResolve{L"Resolve", 130};

constexpr Member kItem{L"Item"};
constexpr Member kRowCount{L"RowCount"};
constexpr Member kColumns{L"Columns"};
constexpr Member kSort{L"Sort"};
constexpr Member kGoToFirst{L"GoToFirst"};
constexpr Member kGetRow{L"GetRow"};
constexpr Member kGetRows{L"GetRows"};

void RaiseHResult(ErrorState& err, HRESULT hr) {
  err.Raise(static_cast<std::int32_t>(hr), SystemMessageText(hr));
}

// A failed conversion of a result, as the automation runtime reports it.
void RaiseConversion(ErrorState& err, HRESULT hr) {
  if (hr == DISP_E_OVERFLOW) {
    err.Raise(kErrOverflow);
  } else if (hr == DISP_E_TYPEMISMATCH) {
    err.Raise(kErrTypeMismatch);
  } else {
    RaiseHResult(err, hr);
  }
}

// The value itself when the result came by reference.
std::optional<Variant> Dereferenced(Variant value, ErrorState& err) {
  if ((value.Type() & VT_BYREF) == 0) return value;
  Variant direct;
  const HRESULT hr = VariantCopyInd(direct.Put(), value.Get());
  if (FAILED(hr)) {
    RaiseConversion(err, hr);
    return std::nullopt;
  }
  return direct;
}

std::optional<Variant> ConvertTo(VARTYPE type, std::optional<Variant> value, ErrorState& err) {
  if (!value) return std::nullopt;
  Variant converted;
  const HRESULT hr = VariantChangeType(converted.Put(), value->Get(), 0, type);
  if (FAILED(hr)) {
    RaiseConversion(err, hr);
    return std::nullopt;
  }
  return converted;
}

// nullopt: failed, with the error raised; a null pointer: no object.
std::optional<ComPtr<IDispatch>> ObjectOf(std::optional<Variant> result, ErrorState& err) {
  if (!result) return std::nullopt;
  std::optional<Variant> value = Dereferenced(std::move(*result), err);
  if (!value) return std::nullopt;
  switch (value->Type()) {
    case VT_EMPTY:
      return ComPtr<IDispatch>();
    case VT_DISPATCH:
      return ComPtr<IDispatch>::Share(V_DISPATCH(value->Get()));
    case VT_UNKNOWN: {
      IUnknown* unknown = V_UNKNOWN(value->Get());
      ComPtr<IDispatch> object;
      if (unknown && FAILED(unknown->QueryInterface(IID_IDispatch, object.PutVoid()))) {
        err.Raise(kErrTypeMismatch);
        return std::nullopt;
      }
      return object;
    }
    default:
      err.Raise(kErrObjectRequired);
      return std::nullopt;
  }
}

std::optional<ComPtr<IDispatch>> CreateByProgId(const std::string& progId, ErrorState& err) {
  const std::wstring name = Widen(progId);
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
  if (FAILED(hr)) {
    RaiseHResult(err, hr);
    return std::nullopt;
  }
  ComPtr<IUnknown> unknown;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, unknown.PutVoid());
  if (FAILED(hr)) {
    RaiseHResult(err, hr);
    return std::nullopt;
  }
  ComPtr<IDispatch> object;
  if (unknown) {
    hr = unknown.As(object);
    if (FAILED(hr)) {
      RaiseHResult(err, hr);
      return std::nullopt;
    }
  }
  return object;
}

// One object's IDispatch and the way its members are reached.
class Dispatcher {
 public:
  Dispatcher(ComPtr<IDispatch> object, Binding binding)
      : object_(std::move(object)), binding_(binding) {}

  [[nodiscard]] IDispatch* Object() const { return object_.Get(); }
  [[nodiscard]] Binding GetBinding() const { return binding_; }

  // A property read.
  std::optional<Variant> Get(const Member& member, ErrorState& err) {
    const WORD flags =
        ByDispid(member) ? DISPATCH_PROPERTYGET : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    return Call(member, flags, {}, err);
  }

  bool Put(const Member& member, Variant value, ErrorState& err) {
    const auto ids = Resolve(member, {}, err);
    if (!ids) return false;
    std::array<Variant, 1> args{std::move(value)};
    std::array<DISPID, 1> named{DISPID_PROPERTYPUT};
    return Invoke((*ids)[0], DISPATCH_PROPERTYPUT, args, named, false, err).has_value();
  }

  // Positional arguments, given in parameter order.
  std::optional<Variant> Call(const Member& member, WORD flags, std::vector<Variant> args,
                              ErrorState& err) {
    const auto ids = Resolve(member, {}, err);
    if (!ids) return std::nullopt;
    // Invoke takes them last first.
    std::reverse(args.begin(), args.end());
    return Invoke((*ids)[0], flags, args, {}, true, err);
  }

  // A method with one named argument and nothing else.
  std::optional<Variant> CallNamed(const Member& member, const Member& parameter, Variant value,
                                   ErrorState& err) {
    const std::array<Member, 1> parameters{parameter};
    const auto ids = Resolve(member, parameters, err);
    if (!ids) return std::nullopt;
    std::array<Variant, 1> args{std::move(value)};
    std::array<DISPID, 1> named{(*ids)[1]};
    return Invoke((*ids)[0], DISPATCH_METHOD, args, named, true, err);
  }

 private:
  [[nodiscard]] bool ByDispid(const Member& member) const {
    return binding_ == Binding::ByDispid && member.dispid != DISPID_UNKNOWN;
  }

  // The member's identifier, then its parameters'; by name at each call
  // unless the member is bound by its DISPID.
  std::optional<std::vector<DISPID>> Resolve(const Member& member,
                                             std::span<const Member> parameters, ErrorState& err) {
    std::vector<DISPID> ids;
    if (ByDispid(member)) {
      ids.push_back(member.dispid);
      for (const Member& parameter : parameters) ids.push_back(parameter.dispid);
      return ids;
    }
    std::vector<LPOLESTR> names{const_cast<LPOLESTR>(member.name)};
    for (const Member& parameter : parameters) {
      names.push_back(const_cast<LPOLESTR>(parameter.name));
    }
    ids.assign(names.size(), DISPID_UNKNOWN);
    const HRESULT hr = object_->GetIDsOfNames(
        IID_NULL, names.data(), static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(hr)) {
      RaiseHResult(err, hr);
      return std::nullopt;
    }
    return ids;
  }

  // args in Invoke's order: the named ones first, then the positional ones
  // last first.
  std::optional<Variant> Invoke(DISPID id, WORD flags, std::span<Variant> args,
                                std::span<DISPID> named, bool wantResult, ErrorState& err) {
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : args.front().Get();
    params.cArgs = static_cast<UINT>(args.size());
    params.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
    params.cNamedArgs = static_cast<UINT>(named.size());
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr =
        object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        wantResult ? result.Put() : nullptr, &exception, &argumentError);
    if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn) {
      exception.pfnDeferredFillIn(&exception);
    }
    // Whatever the callee left in the exception is ours to free.
    const Bstr source(exception.bstrSource);
    const Bstr description(exception.bstrDescription);
    const Bstr helpFile(exception.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION) {
      // An exception without a code is a failure all the same: it must not
      // read as success.
      if (exception.scode == 0 && exception.wCode == 0) {
        std::string text = NarrowBstr(description.Get());
        err.Raise(static_cast<std::int32_t>(hr), text.empty() ? SystemMessageText(hr) : text);
      } else {
        err.Raise(exception.scode != 0 ? static_cast<std::int32_t>(exception.scode)
                                       : static_cast<std::int32_t>(exception.wCode),
                  NarrowBstr(description.Get()));
      }
      return std::nullopt;
    }
    if (FAILED(hr)) {
      RaiseHResult(err, hr);
      return std::nullopt;
    }
    return result;
  }

  ComPtr<IDispatch> object_;
  Binding binding_;
};

// Wraps an object result in its adapter, which inherits the binding.
template <class Adapter>
ObjectResult<typename Adapter::Contract> Wrap(const Dispatcher& from, std::optional<Variant> result,
                                              ErrorState& err) {
  auto object = ObjectOf(std::move(result), err);
  if (!object) return std::nullopt;
  if (!*object) return std::unique_ptr<typename Adapter::Contract>();
  return std::make_unique<Adapter>(Dispatcher(std::move(*object), from.GetBinding()));
}

class RecipientAdapter final : public mail::Recipient {
 public:
  using Contract = mail::Recipient;
  explicit RecipientAdapter(Dispatcher d) : d_(std::move(d)) {}

  bool SetAddress(const std::string& address, ErrorState& err) override {
    return d_.Put(kAddress, variant::Text(address), err);
  }
  bool Resolve(ErrorState& err) override {
    return d_.Call(kResolve, DISPATCH_METHOD, {}, err).has_value();
  }

 private:
  Dispatcher d_;
};

class RecipientsAdapter final : public mail::Recipients {
 public:
  using Contract = mail::Recipients;
  explicit RecipientsAdapter(Dispatcher d) : d_(std::move(d)) {}

  ObjectResult<mail::Recipient> Add(ErrorState& err) override {
    return Wrap<RecipientAdapter>(d_, d_.Call(kAdd, DISPATCH_METHOD, {}, err), err);
  }

 private:
  Dispatcher d_;
};

class AttachmentsAdapter final : public mail::Attachments {
 public:
  using Contract = mail::Attachments;
  explicit AttachmentsAdapter(Dispatcher d) : d_(std::move(d)) {}

  bool Add(const std::string& name, std::int16_t position, std::int32_t type,
           const std::wstring& source, ErrorState& err) override {
    std::vector<Variant> args;
    args.push_back(variant::Text(name));
    args.push_back(variant::Int16(position));
    args.push_back(variant::Int32(type));
    args.push_back(variant::Text(source));
    return d_.Call(kAdd, DISPATCH_METHOD, std::move(args), err).has_value();
  }

 private:
  Dispatcher d_;
};

class MessageAdapter final : public mail::Message {
 public:
  using Contract = mail::Message;
  explicit MessageAdapter(Dispatcher d) : d_(std::move(d)) {}

  ObjectResult<mail::Recipients> GetRecipients(ErrorState& err) override {
    return Wrap<RecipientsAdapter>(d_, d_.Get(kRecipients, err), err);
  }
  bool SetSubject(const std::string& subject, ErrorState& err) override {
    return d_.Put(kSubject, variant::Text(subject), err);
  }
  bool SetText(const std::string& text, ErrorState& err) override {
    return d_.Put(kText, variant::Text(text), err);
  }
  ObjectResult<mail::Attachments> GetAttachments(ErrorState& err) override {
    return Wrap<AttachmentsAdapter>(d_, d_.Get(kAttachments, err), err);
  }
  bool Send(bool saveCopy, ErrorState& err) override {
    std::vector<Variant> args;
    args.push_back(variant::Bool(saveCopy));
    return d_.Call(kSend, DISPATCH_METHOD, std::move(args), err).has_value();
  }

 private:
  Dispatcher d_;
};

class MessagesAdapter final : public mail::Messages {
 public:
  using Contract = mail::Messages;
  explicit MessagesAdapter(Dispatcher d) : d_(std::move(d)) {}

  std::optional<std::int32_t> Count(ErrorState& err) override {
    auto count = ConvertTo(VT_I4, d_.Get(kCount, err), err);
    if (!count) return std::nullopt;
    return static_cast<std::int32_t>(V_I4(count->Get()));
  }
  ObjectResult<mail::Message> Add(ErrorState& err) override {
    return Wrap<MessageAdapter>(d_, d_.Call(kAdd, DISPATCH_METHOD, {}, err), err);
  }

  // The collection itself, for handing to another object.
  [[nodiscard]] IDispatch* Object() const { return d_.Object(); }

 private:
  Dispatcher d_;
};

class FolderAdapter final : public mail::Folder {
 public:
  using Contract = mail::Folder;
  explicit FolderAdapter(Dispatcher d) : d_(std::move(d)) {}

  ObjectResult<mail::Messages> GetMessages(ErrorState& err) override {
    return Wrap<MessagesAdapter>(d_, d_.Get(kMessages, err), err);
  }
  ObjectResult<mail::Folder> Folders(const std::string& name, ErrorState& err) override {
    std::vector<Variant> args;
    args.push_back(variant::Text(name));
    return Wrap<FolderAdapter>(
        d_, d_.Call(kFolders, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), err), err);
  }

 private:
  Dispatcher d_;
};

class SessionAdapter final : public mail::Session {
 public:
  explicit SessionAdapter(Dispatcher d) : d_(std::move(d)) {}

  bool LogonWithAllArgs(const std::string& profileInfo, ErrorState& err) override {
    std::vector<Variant> args;
    args.push_back(variant::Text(""));     // ProfileName
    args.push_back(variant::Text(""));     // ProfilePassword
    args.push_back(variant::Bool(false));  // ShowDialog
    args.push_back(variant::Bool(true));   // NewSession
    args.push_back(variant::Int16(0));     // ParentWindow
    args.push_back(variant::Bool(true));   // NoMail
    args.push_back(variant::Text(profileInfo));
    return d_.Call(kLogon, DISPATCH_METHOD, std::move(args), err).has_value();
  }
  bool LogonWithProfileInfo(const std::string& profileInfo, ErrorState& err) override {
    Bstr info = MakeBstr(profileInfo);
    return d_.CallNamed(kLogon, kProfileInfo, variant::BstrRef(info.AddressOf()), err).has_value();
  }
  bool Logoff(ErrorState& err) override {
    return d_.Call(kLogoff, DISPATCH_METHOD, {}, err).has_value();
  }
  std::optional<std::string> Name(ErrorState& err) override {
    auto name = ConvertTo(VT_BSTR, d_.Get(kName, err), err);
    if (!name) return std::nullopt;
    return NarrowBstr(V_BSTR(name->Get()));
  }
  ObjectResult<mail::Folder> Inbox(ErrorState& err) override {
    return Wrap<FolderAdapter>(d_, d_.Get(kInbox, err), err);
  }
  ObjectResult<mail::Folder> Outbox(ErrorState& err) override {
    return Wrap<FolderAdapter>(d_, d_.Get(kOutbox, err), err);
  }
  ObjectResult<mail::Folder> GetDefaultFolder(std::int32_t folderType, ErrorState& err) override {
    std::vector<Variant> args;
    args.push_back(variant::Int32(folderType));
    return Wrap<FolderAdapter>(
        d_, d_.Call(kGetDefaultFolder, DISPATCH_METHOD, std::move(args), err), err);
  }

 private:
  Dispatcher d_;
};

class TableAdapter final : public mail::MapiTable {
 public:
  explicit TableAdapter(ComPtr<IDispatch> object) : d_(std::move(object), Binding::ByName) {}

  bool SetItem(mail::Messages* messages, ErrorState& err) override {
    IDispatch* object = nullptr;
    if (messages != nullptr) {
      const auto* ours = dynamic_cast<const MessagesAdapter*>(messages);
      if (ours == nullptr) {
        err.Raise(kErrTypeMismatch);
        return false;
      }
      object = ours->Object();
    }
    return d_.Put(kItem, variant::Dispatch(object), err);
  }
  std::optional<std::int16_t> RowCount(ErrorState& err) override {
    auto count = ConvertTo(VT_I2, d_.Get(kRowCount, err), err);
    if (!count) return std::nullopt;
    return static_cast<std::int16_t>(V_I2(count->Get()));
  }
  bool SetColumns(const std::vector<std::int32_t>& propertyTags, ErrorState& err) override {
    SafeArray columns(
        SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(propertyTags.size())));
    if (!columns) {
      RaiseHResult(err, E_OUTOFMEMORY);
      return false;
    }
    for (LONG i = 0; i < static_cast<LONG>(propertyTags.size()); ++i) {
      Variant tag = variant::Int32(propertyTags[static_cast<std::size_t>(i)]);
      const HRESULT hr = SafeArrayPutElement(columns.Get(), &i, tag.Get());
      if (FAILED(hr)) {
        RaiseHResult(err, hr);
        return false;
      }
    }
    return d_.Put(kColumns, variant::VariantArray(std::move(columns)), err);
  }
  bool Sort(std::int32_t propertyTag, ErrorState& err) override {
    std::vector<Variant> args;
    args.push_back(variant::Int32(propertyTag));
    return d_.Call(kSort, DISPATCH_METHOD, std::move(args), err).has_value();
  }
  bool GoToFirst(ErrorState& err) override {
    return d_.Call(kGoToFirst, DISPATCH_METHOD, {}, err).has_value();
  }
  bool GetRow(ErrorState& err) override {
    return d_.Call(kGetRow, DISPATCH_METHOD, {}, err).has_value();
  }
  std::optional<mail::RowBlock> GetRows(std::int16_t count, bool byReference,
                                        ErrorState& err) override {
    SHORT wanted = count;
    std::vector<Variant> args;
    args.push_back(byReference ? variant::Int16Ref(&wanted) : variant::Int16(count));
    auto result = d_.Call(kGetRows, DISPATCH_METHOD, std::move(args), err);
    if (!result) return std::nullopt;
    auto block = Dereferenced(std::move(*result), err);
    if (!block) return std::nullopt;
    if (block->Type() == VT_EMPTY) return mail::RowBlock{mail::RowBlock::Kind::Empty, 0};
    if ((block->Type() & VT_ARRAY) == 0) return mail::RowBlock{mail::RowBlock::Kind::NotAnArray, 0};
    LONG upper = 0;
    if (FAILED(SafeArrayGetUBound(V_ARRAY(block->Get()), 1, &upper))) {
      err.Raise(kErrSubscript);
      return std::nullopt;
    }
    return mail::RowBlock{mail::RowBlock::Kind::Rows, std::int64_t{upper} + 1};
  }

 private:
  Dispatcher d_;
};

}  // namespace

DispatchMailFactory::DispatchMailFactory(std::string sessionProgId, std::string tableProgId)
    : sessionProgId_(std::move(sessionProgId)), tableProgId_(std::move(tableProgId)) {}

mail::ObjectResult<mail::Session> DispatchMailFactory::CreateSession(mail::Binding binding,
                                                                     ErrorState& err) {
  auto object = CreateByProgId(sessionProgId_, err);
  if (!object) return std::nullopt;
  if (!*object) return std::unique_ptr<mail::Session>();
  return std::make_unique<SessionAdapter>(Dispatcher(std::move(*object), binding));
}

mail::ObjectResult<mail::MapiTable> DispatchMailFactory::CreateTable(ErrorState& err) {
  auto object = CreateByProgId(tableProgId_, err);
  if (!object) return std::nullopt;
  if (!*object) return std::unique_ptr<mail::MapiTable>();
  return std::make_unique<TableAdapter>(std::move(*object));
}

}  // namespace pelterwyn::win32
