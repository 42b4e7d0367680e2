#include "com/guard.h"
#include "objects.h"
#include "store/errors.h"

namespace standin::cdo {
namespace {
enum : DISPID { kDispMessages = 22 };
}

Folder::Folder(std::shared_ptr<World> world, store::Mailbox mailbox, std::filesystem::path dir)
    : DispatchObject(std::move(world), "Folder"),
      mailbox_(std::move(mailbox)),
      dir_(std::move(dir)) {}

const std::vector<Member>& Folder::Members() const {
  static const std::vector<Member> members = {
      {L"Messages", kDispMessages, com::kGet, {}, VT_EMPTY, true},
      // CDO's Folders collection, indexed by name in one step.
      {L"Folders",
       kDispFolders,
       com::kGet | com::kMethod,
       {{L"Name", VT_BSTR, false}},
       VT_EMPTY,
       true},
  };
  return members;
}

void Folder::Call(const Member& member, bool, const Args& args, Variant& result) {
  switch (member.id) {
    case kDispMessages:
      result = Give(new Messages(sharedWorld(), mailbox_, dir_));
      break;
    case kDispFolders: {
      const auto sub = store::FindSubfolder(dir_, com::ToUtf8(args.Text(0)));
      if (!sub) com::Fail(errors::kNotFound);
      result = Give(new Folder(sharedWorld(), mailbox_, *sub));
      break;
    }
  }
}

Messages::Messages(std::shared_ptr<World> world, store::Mailbox mailbox, std::filesystem::path dir)
    : DispatchObject(std::move(world), "Messages"),
      mailbox_(std::move(mailbox)),
      dir_(std::move(dir)) {}

HRESULT Messages::GetFolderPath(BSTR* path) {
  return com::Guarded([&] {
    if (!path) return E_POINTER;
    *path = com::Bstr(dir_.wstring()).Detach();
    return S_OK;
  });
}

const std::vector<Member>& Messages::Members() const {
  static const std::vector<Member> members = {
      {L"Count", kDispCount, com::kGet, {}},
      {L"Add",
       kDispAdd,
       com::kMethod,
       {{L"Subject", VT_BSTR, true},
        {L"Text", VT_BSTR, true},
        {L"Type", VT_BSTR, true},
        {L"Importance", VT_I4, true}},
       VT_EMPTY,
       true},
  };
  return members;
}

void Messages::Call(const Member& member, bool, const Args& args, Variant& result) {
  switch (member.id) {
    case kDispCount:
      result = variant::Int32(static_cast<LONG>(store::CountMessages(dir_)));
      break;
    case kDispAdd: {
      // Held in memory until sent: a message that is never sent leaves no file.
      auto data = std::make_shared<MessageData>();
      data->sender = mailbox_;
      data->subject = args.Text(0);
      data->text = args.Text(1);
      result = Give(new Message(sharedWorld(), std::move(data)));
      break;
    }
  }
}

}  // namespace standin::cdo
