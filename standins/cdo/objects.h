#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/dispatch.h"
#include "store/store.h"

// The CDO 1.x objects the tool drives: Session, Folder, Messages, Message,
// Recipients, Recipient, Attachments. Each is a thin view over
// shared data, so that every get hands out a new object, as CDO does, and no
// object keeps another alive.
namespace standin::cdo {

using com::Args;
using com::DispatchObject;
using com::Member;
using com::Variant;
namespace variant = com::variant;
using com::World;

// {3FA7DEB3-6438-101B-ACC1-00AA00423326}: the class of MAPI.Session.
inline constexpr CLSID kClsidSession = {
    0x3fa7deb3, 0x6438, 0x101b, {0xac, 0xc1, 0x00, 0xaa, 0x00, 0x42, 0x33, 0x26}};

inline constexpr const char* kErrorSource = "Collaboration Data Objects";

// Members without a published DISPID get one of ours.
enum : DISPID {
  kDispCount = 0x6010,
  kDispAdd = 0x6011,
  kDispFolders = 0x6012,
};

struct RecipientData {
  std::wstring name;
  std::wstring address;
  std::optional<store::Recipient> resolved;
};

struct MessageData {
  store::Mailbox sender;
  std::wstring subject;
  std::wstring text;
  std::vector<std::shared_ptr<RecipientData>> recipients;
  std::vector<mime::Attachment> attachments;  // read when added
  bool sent = false;
};

class Session final : public DispatchObject {
 public:
  explicit Session(std::shared_ptr<World> world);
  static DispatchObject* Create();

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  void Logon(const Args& args);
  const store::Mailbox& RequireLogon() const;
  Variant NewFolder(store::DefaultFolder folder) const;

  std::optional<store::Mailbox> logon_;  // the mailbox logged on to
};

class Folder final : public DispatchObject {
 public:
  Folder(std::shared_ptr<World> world, store::Mailbox mailbox, std::filesystem::path dir);

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  store::Mailbox mailbox_;
  std::filesystem::path dir_;
};

class Messages final : public DispatchObject {
 public:
  Messages(std::shared_ptr<World> world, store::Mailbox mailbox, std::filesystem::path dir);
  HRESULT STDMETHODCALLTYPE GetFolderPath(BSTR* path) override;

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  store::Mailbox mailbox_;
  std::filesystem::path dir_;
};

class Message final : public DispatchObject {
 public:
  Message(std::shared_ptr<World> world, std::shared_ptr<MessageData> data);

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  void Send(bool saveCopy);
  std::shared_ptr<MessageData> data_;
};

class Recipients final : public DispatchObject {
 public:
  Recipients(std::shared_ptr<World> world, std::shared_ptr<MessageData> data);

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  std::shared_ptr<MessageData> data_;
};

class Recipient final : public DispatchObject {
 public:
  Recipient(std::shared_ptr<World> world, std::shared_ptr<MessageData> message,
            std::shared_ptr<RecipientData> data);

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  std::shared_ptr<MessageData> message_;
  std::shared_ptr<RecipientData> data_;
};

class Attachments final : public DispatchObject {
 public:
  Attachments(std::shared_ptr<World> world, std::shared_ptr<MessageData> data);

 protected:
  const std::vector<Member>& Members() const override;
  void Call(const Member& member, bool put, const Args& args, Variant& result) override;

 private:
  std::shared_ptr<MessageData> data_;
};

}  // namespace standin::cdo
