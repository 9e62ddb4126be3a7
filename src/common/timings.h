#pragma once
// The program's fixed waits and its port, in one place so that tests can shrink them.
struct Timings {
    int greetingMs = 3000;     // after the welcome, a silence this long ends a greeting that has no end line
    int replyMs = 2000;        // a capability talk the server stopped answering is given up after this silence
    int welcomeLimitMs = 30000;  // a login or registration the server has not welcomed by then fails
    int registerTailMs = 3;    // the wait for the first line after the answer to the register request
    int flashMs = 500;         // attention flashing of room and private windows
    int advertiseMs = 7000;    // one advertisement per nick-list entry
    int splashMs = 1000;       // splash window before the frame
    int readerStopMs = 3000;   // how long disconnecting waits for "quit" to go out and the reader to end
    int sendStallMs = 30000;   // a server that takes nothing for this long while lines wait is cut off
    int burstLimitMs = 60000;  // a greeting (or a registration's burst) that never falls silent fails after this
    int defaultPort = 6667;
    // Staying connected: the pace of sent lines, the watch on a silent link,
    // the waits between reconnect tries.
    int sendBurstLines = 5;       // lines that go at once after a quiet spell
    int sendSpacingMs = 2000;     // then one line per this long
    int quietBeforePingMs = 30000;  // no line from the server this long: a PING of our own
    int pingAnswerMs = 90000;     // no line at all this long after it: the link is dead
    int reconnectFirstMs = 2000;  // the first wait before reconnecting; it doubles each try
    int reconnectLongestMs = 300000;
    int typingQuietMs = 3000;     // a key pressed this recently: a received line takes no focus
};

// The one set of timings the program uses; tests may change its fields.
Timings& timing();
