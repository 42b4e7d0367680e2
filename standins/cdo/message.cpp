#include <chrono>
#include <fstream>
#include <iterator>

#include "objects.h"
#include "store/errors.h"

namespace standin::cdo {
namespace {

enum : DISPID {
  kDispAddress = 2,
  kDispAttachments = 5,
  kDispRecipients = 28,
  kDispSubject = 38,
  kDispText = 39,
  kDispResolve = 130,
  kDispSend = 131,
};

enum : std::int32_t { kCdoFileData = 1 };

// Resolves a recipient as the address book would, from its address, else its name.
void Resolve(const World& world, RecipientData& recipient) {
  const std::wstring& key = recipient.address.empty() ? recipient.name : recipient.address;
  const store::ResolveResult r = world.Store().Resolve(com::ToUtf8(key));
  if (r.error) com::Fail(r.error);
  recipient.resolved = r.recipient;
}

// A sent message is gone: its objects answer nothing more.
void RequireUnsent(const MessageData& message) {
  if (message.sent) com::Fail(errors::kInvalidObject);
}

}  // namespace

Message::Message(std::shared_ptr<World> world, std::shared_ptr<MessageData> data)
    : DispatchObject(std::move(world), "Message"), data_(std::move(data)) {}

const std::vector<Member>& Message::Members() const {
  static const std::vector<Member> members = {
      {L"Recipients", kDispRecipients, com::kGet, {}, VT_EMPTY, true},
      {L"Subject", kDispSubject, com::kPut, {}, VT_BSTR},
      {L"Text", kDispText, com::kPut, {}, VT_BSTR},
      {L"Attachments", kDispAttachments, com::kGet, {}, VT_EMPTY, true},
      {L"Send",
       kDispSend,
       com::kMethod,
       {{L"SaveCopy", VT_BOOL, true},
        {L"ShowDialog", VT_BOOL, true},
        {L"ParentWindow", VT_I4, true}}},
  };
  return members;
}

void Message::Call(const Member& member, bool, const Args& args, Variant& result) {
  RequireUnsent(*data_);
  switch (member.id) {
    case kDispRecipients:
      result = Give(new Recipients(sharedWorld(), data_));
      break;
    case kDispAttachments:
      result = Give(new Attachments(sharedWorld(), data_));
      break;
    case kDispSubject:
      data_->subject = args.Text(0);
      break;
    case kDispText:
      data_->text = args.Text(0);
      break;
    case kDispSend:
      Send(args.Bool(0, true));
      break;
  }
}

void Message::Send(bool saveCopy) {
  store::OutgoingMessage out;
  out.sender = data_->sender;
  out.subject = com::ToUtf8(data_->subject);
  out.text = com::ToUtf8(data_->text);
  for (const auto& recipient : data_->recipients) {
    if (!recipient->resolved) Resolve(world(), *recipient);
    out.recipients.push_back(*recipient->resolved);
  }
  out.attachments = data_->attachments;
  const store::SendResult r = world().Store().Send(out, saveCopy, std::chrono::system_clock::now());
  if (r.error) com::Fail(r.error);
  data_->sent = true;
}

Recipients::Recipients(std::shared_ptr<World> world, std::shared_ptr<MessageData> data)
    : DispatchObject(std::move(world), "Recipients"), data_(std::move(data)) {}

const std::vector<Member>& Recipients::Members() const {
  static const std::vector<Member> members = {
      {L"Add",
       kDispAdd,
       com::kMethod,
       {{L"Name", VT_BSTR, true},
        {L"Address", VT_BSTR, true},
        {L"Type", VT_I4, true},
        {L"EntryID", VT_BSTR, true}},
       VT_EMPTY,
       true},
  };
  return members;
}

void Recipients::Call(const Member& member, bool, const Args& args, Variant& result) {
  RequireUnsent(*data_);
  switch (member.id) {
    case kDispAdd: {
      auto recipient = std::make_shared<RecipientData>();
      recipient->name = args.Text(0);
      recipient->address = args.Text(1);
      data_->recipients.push_back(recipient);
      result = Give(new Recipient(sharedWorld(), data_, std::move(recipient)));
      break;
    }
  }
}

Recipient::Recipient(std::shared_ptr<World> world, std::shared_ptr<MessageData> message,
                     std::shared_ptr<RecipientData> data)
    : DispatchObject(std::move(world), "Recipient"),
      message_(std::move(message)),
      data_(std::move(data)) {}

const std::vector<Member>& Recipient::Members() const {
  static const std::vector<Member> members = {
      {L"Address", kDispAddress, com::kPut, {}, VT_BSTR},
      {L"Resolve", kDispResolve, com::kMethod, {{L"ShowDialog", VT_BOOL, true}}},
  };
  return members;
}

void Recipient::Call(const Member& member, bool, const Args& args, Variant&) {
  RequireUnsent(*message_);
  switch (member.id) {
    case kDispAddress:
      data_->address = args.Text(0);
      data_->resolved.reset();
      break;
    case kDispResolve:
      Resolve(world(), *data_);
      break;
  }
}

Attachments::Attachments(std::shared_ptr<World> world, std::shared_ptr<MessageData> data)
    : DispatchObject(std::move(world), "Attachments"), data_(std::move(data)) {}

const std::vector<Member>& Attachments::Members() const {
  static const std::vector<Member> members = {
      {L"Add",
       kDispAdd,
       com::kMethod,
       {{L"Name", VT_BSTR, true},
        {L"Position", VT_I4, true},
        {L"Type", VT_I4, true},
        {L"Source", VT_BSTR, true}},
       VT_EMPTY,
       true},
  };
  return members;
}

void Attachments::Call(const Member&, bool, const Args& args, Variant&) {
  RequireUnsent(*data_);
  if (args.Long(2, kCdoFileData) != kCdoFileData) com::Fail(errors::kNoSupport);
  const std::filesystem::path source(args.Text(3));
  mime::Attachment attachment;
  if (!source.empty()) {
    // The file's data is taken now, as CDO reads it when the attachment is added.
    std::ifstream in(source, std::ios::binary);
    if (!in) com::Fail(errors::kNotFound);
    attachment.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  attachment.name = com::ToUtf8(args.Has(0) ? args.Text(0) : source.filename().wstring());
  data_->attachments.push_back(std::move(attachment));
}

}  // namespace standin::cdo
