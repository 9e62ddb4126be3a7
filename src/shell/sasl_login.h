#pragma once
// The capability talk of a login with a password, run over the login's reads.
#include "protocol/irc/cap_negotiation.h"

#include <functional>
#include <string>

class LineConnection;

// Talks capabilities (and SASL PLAIN when the server offers it) with the
// server on connection before registering. read(timeoutMs) gives the next
// line or an empty text at a silence; log takes the lines meant for the
// server log (the password never among them). Each wait for the server is
// timing().replyMs; the whole talk gives up after timing().burstLimitMs.
// Transport failures are thrown as they come.
CapNegotiation::Outcome NegotiateSasl(LineConnection& connection, const std::function<std::string(int)>& read,
                                      const std::function<void(const std::string&)>& log, const std::string& nick,
                                      const std::string& password);
