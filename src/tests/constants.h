#pragma once

// The fixed test mailbox of the send and GetRows tests. The demo mail world
// ships a server and mailbox of these names.
namespace pelterwyn {

inline constexpr const char* kTestServer = "EXCHANGE1";
inline constexpr const char* kTestMailboxAlias = "pelttest";
inline constexpr const char* kTestRecipientAddress = "SMTP:pelttest@example.com";

}  // namespace pelterwyn
