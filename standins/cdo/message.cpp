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
  recipient.name = com::FromUtf8(r.recipient->displayName);
}

}  // namespace

void RequireUnsent(const MessageData& message) {
  if (message.sent) com::Fail(errors::kInvalidObject);
}

Message::Message(std::shared_ptr<World> world, std::shared_ptr<MessageData> data)
    : DispatchObject(std::move(world), "Message"), data_(std::move(data)) {}

const std::vector<Member>& Message::Members() const {
  static const std::vector<Member> members = {
      {L"Recipients", kDispRecipients, com::kGet, {}, VT_EMPTY, true},
      {L"Subject", kDispSubject, com::kGet | com::kPut, {}, VT_BSTR},
      {L"Text", kDispText, com::kGet | com::kPut, {}, VT_BSTR},
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

void Message::Call(const Member& member, bool put, const Args& args, Variant& result) {
  RequireUnsent(*data_);
  switch (member.id) {
    case kDispRecipients:
      result = Give(new Recipients(sharedWorld(), data_));
      break;
    case kDispAttachments:
      result = Give(new Attachments(sharedWorld(), data_));
      break;
    case kDispSubject:
      if (put) {
        data_->subject = args.Text(0);
      } else {
        result = Variant::Text(data_->subject);
      }
      break;
    case kDispText:
      if (put) {
        data_->text = args.Text(0);
      } else {
        result = Variant::Text(data_->text);
      }
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
  for (const auto& attachment : data_->attachments) {
    out.attachments.push_back({com::ToUtf8(attachment->name), attachment->data});
  }
  const store::SendResult r = world().Store().Send(out, saveCopy, std::chrono::system_clock::now());
  if (r.error) com::Fail(r.error);
  data_->sent = true;
}

Recipients::Recipients(std::shared_ptr<World> world, std::shared_ptr<MessageData> data)
    : DispatchObject(std::move(world), "Recipients"), data_(std::move(data)) {}

const std::vector<Member>& Recipients::Members() const {
  static const std::vector<Member> members = {
      {L"Count", kDispCount, com::kGet, {}},
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
    case kDispCount:
      result = Variant::Int32(static_cast<LONG>(data_->recipients.size()));
      break;
    case kDispAdd: {
      auto recipient = std::make_shared<RecipientData>();
      recipient->name = args.Text(0);
      recipient->address = args.Text(1);
      recipient->type = args.Long(2, 1);
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
      {L"Address", kDispAddress, com::kGet | com::kPut, {}, VT_BSTR},
      {L"Resolve", kDispResolve, com::kMethod, {{L"ShowDialog", VT_BOOL, true}}},
      {L"Name", kDispName, com::kGet | com::kPut, {}, VT_BSTR},
      {L"Type", kDispType, com::kGet | com::kPut, {}, VT_I4},
  };
  return members;
}

void Recipient::Call(const Member& member, bool put, const Args& args, Variant& result) {
  RequireUnsent(*message_);
  switch (member.id) {
    case kDispAddress:
      if (put) {
        data_->address = args.Text(0);
        data_->resolved.reset();
      } else {
        result = Variant::Text(data_->address);
      }
      break;
    case kDispName:
      if (put) {
        data_->name = args.Text(0);
        data_->resolved.reset();
      } else {
        result = Variant::Text(data_->name);
      }
      break;
    case kDispType:
      if (put) {
        data_->type = args.Long(0);
      } else {
        result = Variant::Int32(data_->type);
      }
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
      {L"Count", kDispCount, com::kGet, {}},
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

void Attachments::Call(const Member& member, bool, const Args& args, Variant& result) {
  RequireUnsent(*data_);
  switch (member.id) {
    case kDispCount:
      result = Variant::Int32(static_cast<LONG>(data_->attachments.size()));
      break;
    case kDispAdd: {
      auto attachment = std::make_shared<AttachmentData>();
      attachment->position = args.Long(1, 0);
      attachment->type = args.Long(2, kCdoFileData);
      attachment->source = args.Text(3);
      if (attachment->type != kCdoFileData) com::Fail(errors::kNoSupport);
      if (!attachment->source.empty()) {
        // The file's data is taken now, as CDO reads it when the attachment is added.
        std::ifstream in(std::filesystem::path(attachment->source), std::ios::binary);
        if (!in) com::Fail(errors::kNotFound);
        attachment->data.assign(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
      }
      attachment->name = args.Has(0)
                             ? args.Text(0)
                             : std::filesystem::path(attachment->source).filename().wstring();
      data_->attachments.push_back(attachment);
      result = Give(new Attachment(sharedWorld(), data_, std::move(attachment)));
      break;
    }
  }
}

Attachment::Attachment(std::shared_ptr<World> world, std::shared_ptr<MessageData> message,
                       std::shared_ptr<AttachmentData> data)
    : DispatchObject(std::move(world), "Attachment"),
      message_(std::move(message)),
      data_(std::move(data)) {}

const std::vector<Member>& Attachment::Members() const {
  static const std::vector<Member> members = {
      {L"Name", kDispName, com::kGet, {}},
      {L"Position", kDispPosition, com::kGet, {}},
      {L"Type", kDispType, com::kGet, {}},
      {L"Source", kDispSource, com::kGet, {}},
  };
  return members;
}

void Attachment::Call(const Member& member, bool, const Args&, Variant& result) {
  RequireUnsent(*message_);
  switch (member.id) {
    case kDispName:
      result = Variant::Text(data_->name);
      break;
    case kDispPosition:
      result = Variant::Int32(data_->position);
      break;
    case kDispType:
      result = Variant::Int32(data_->type);
      break;
    case kDispSource:
      result = Variant::Text(data_->source);
      break;
  }
}

}  // namespace standin::cdo
