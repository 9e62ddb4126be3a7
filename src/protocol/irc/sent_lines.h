#pragma once
// Every line the client sends to the server, one builder per line, built by
// plain concatenation: values go out exactly as held (the connection refuses
// line breaks inside a value, so none can smuggle in a second command).
#include "protocol/irc/irc_message.h"

#include <string>
#include <vector>

namespace sent {

// Login and registration
std::string UserLine(const std::string& nick);                                       // "user N localhost localhost N"
std::string NickLine(const std::string& nick);                                       // "nick N"
std::string RegistrationUserLine(const std::string& nick, const std::string& fullname);  // "user i N localhost localhost F"
std::string IdentifyLine(const std::string& password);                               // "nickserv identify P"
std::string RegisterNickLine(const std::string& password, const std::string& email); // "nickserv register P E"
std::string PongLine(const std::string& token);                                      // "PONG :T"
// Capability talk and SASL, before registering with a password
std::string CapLsLine();                                                             // "CAP LS 302"
std::string CapRequestSaslLine();                                                    // "CAP REQ :sasl"
std::string CapEndLine();                                                            // "CAP END"
std::string AuthenticatePlainLine();                                                 // "AUTHENTICATE PLAIN"
std::string AuthenticateAbortLine();                                                 // "AUTHENTICATE *"
// The PLAIN credentials (nick NUL nick NUL password, in base64) as
// "AUTHENTICATE <piece>" lines of at most 400 bytes of base64 each; when the
// last piece is exactly 400 bytes long, an "AUTHENTICATE +" line follows.
std::vector<std::string> AuthenticateCredentialLines(const std::string& nick, const std::string& password);
// Frame
std::string MemoServListLine();                                                      // "memoserv list"
std::string LusersLine();                                                            // "lusers"
std::string QuitLine();                                                              // "quit"
std::string AwayLine(const std::string& away);                                       // "away :A"
std::string BackLine();                                                              // "away"
// Room window
std::string JoinLine(const std::string& selector);                                   // "join #S"
std::string JoinLine(const std::string& selector, const std::string& key);           // "join #S K" ("join #S" without a key)
std::string PartSelectorLine(const std::string& selector);                           // "part #S" (leave button)
std::string PartSelectorLine(const std::string& selector, const std::string& reason);  // "part #S :W" ("part #S" without one)
std::string TopicLine(const std::string& room);                                      // "topic #R" (asks for it)
std::string TopicLine(const std::string& room, const std::string& topic);            // "topic #R :T"
std::string PartRoomLine(const std::string& room);                                   // "part #R" (closing the window)
std::string RoomMessageLine(const std::string& room, const std::string& text);       // "privmsg #R :T"
std::string RoomActionLine(const std::string& room, const std::string& action);      // "privmsg #R :\x01Action A"
std::string BanLine(const std::string& room, const std::string& member);             // "mode #R +b M"
std::string UnbanLine(const std::string& room, const std::string& banned);           // "mode #R -b B"
// The mask a server keeps for a ban set on a bare nick: servers store
// "nick!*@*" and refuse to lift "nick" itself. A mask stays as it is.
std::string BanMaskOf(const std::string& banned);
std::string MakeHostLine(const std::string& room, const std::string& member);        // "mode #R +o M"
std::string DeHostLine(const std::string& room, const std::string& member);          // "mode #R -o M"
std::string KickLine(const std::string& room, const std::string& member, const std::string& reason);  // "kick #R M :W"
std::string InviteLine(const std::string& buddy, const std::string& room);           // "INVITE B #R"
std::string AdvertiseLine(const std::string& entry, const std::string& advert);      // "privmsg E :A"
std::string WhoLine(const std::string& member);                                      // "who M"
// Private window
std::string PrivateMessageLine(const std::string& partner, const std::string& text); // "privmsg P :T"
// Chat text as the lines that carry it. The server puts the sender's prefix
// in front of every line it relays and cuts what passes 512 bytes: a text too
// long for that goes out as several lines (SplitChatText), each whole.
std::vector<std::string> RoomMessageLines(const std::string& room, const std::string& text);
std::vector<std::string> RoomActionLines(const std::string& room, const std::string& action);
std::vector<std::string> PrivateMessageLines(const std::string& partner, const std::string& text);
std::vector<std::string> PrivateActionLines(const std::string& partner, const std::string& action);  // "privmsg P :\x01Action A"
// Room list window
std::string ListLine();                                                              // "LIST"
std::string ListStartingLine(const std::string& letters);                            // "LIST #L*"
// Keep-alive and client requests
std::string PingLine(const std::string& token);                                      // "PING :T"
std::string CtcpReplyLine(const std::string& nick, const std::string& reply);        // "NOTICE N :\x01R\x01"

}  // namespace sent

// The answer to a received keep-alive: "PONG :" and the PING's last parameter
// whole ("PONG :" alone for a PING without one).
void PongLineFor(const IrcMessage& ping, std::string& out);  // written into out, reusing its memory
std::string PongLineFor(const std::string& line);           // for a line not decoded yet

// Canned action texts of the action menu.
namespace actions {
std::string Dance();
std::string Laugh();
std::string Jump();
std::string Scared();
std::string Sing();
std::string Kiss(const std::string& member);
std::string Slap(const std::string& member);
std::string Love(const std::string& member);
std::string OfferDate(const std::string& member);
}  // namespace actions
