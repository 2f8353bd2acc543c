#pragma once

namespace simhost {

// Requests to end (SIGINT, SIGTERM, SIGHUP and SIGQUIT; on Windows Ctrl-C, Ctrl-Break and closing
// the console) that a program with something to clean up must not die of on the spot. While an
// EndingSignals lives a request is only noted: the program sees it between two steps of its
// work, unwinds as usual, so that private copies and child processes go with it, and then ends
// as the request would have ended it. A second request ends the program at once, and so does the
// first when the program has not seen it within a second: a plug-in's code holds its thread.
class EndingSignals {
public:
    EndingSignals();
    EndingSignals(const EndingSignals&) = delete;
    EndingSignals& operator=(const EndingSignals&) = delete;
    ~EndingSignals();

    // The request noted, 0 for none. Asked by the host's thread alone: asking is seeing.
    static int received() noexcept;
    // Ends the program as the noted request would have, with the status a shell expects for it
    // (128 + the signal's number); returns when none was noted.
    static void endAsReceived();
};

}  // namespace simhost
