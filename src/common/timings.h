#pragma once
// The program's fixed waits and its port, in one place so that tests can shrink them.
struct Timings {
    int greetingMs = 3000;     // silence that ends a greeting or a reply burst
    int replyMs = 2000;        // wait for the answer to USER (and NICK while registering)
    int registerTailMs = 3;    // first read after the register request's answer
    int flashMs = 500;         // attention flashing of room windows
    int advertiseMs = 7000;    // one advertisement per nick-list entry
    int splashMs = 1000;       // splash window before the frame
    int readerStopMs = 3000;   // how long disconnecting waits for "quit" to go out and the reader to end
    int sendStallMs = 30000;   // a server that takes nothing for this long while lines wait is cut off
    int burstLimitMs = 60000;  // a login or registration read that ends at a silence gives up after this
    int defaultPort = 6667;
};

// The one set of timings the program uses; tests may change its fields.
Timings& timing();
