#pragma once
// Fetching pages ahead into the web views' HTTP cache, so that a web view's later load of one
// of them is answered from the cache instead of waiting on the network.
//
// The fetches are made by the engine of a given web view, in its network session and with its
// user agent: the same requests as that view would make, into the same cache. A server that
// marks its answers as not to be kept (or to be asked again each time, or as differing with a
// header the web view sends otherwise) would be asked for every address twice: the first such
// successful answer stops the prefetcher, as does the first by which the server asks to be
// asked less (429, 503); other error answers are not judged. A prefetcher requests the given
// addresses only: a redirection is not followed, and nothing fetched is opened, so nothing a
// page refers to is requested. Like every web view, it works only while the toolkit runs
// (wait_event and the waits of web views).
#include <memory>
#include <string>
#include <vector>

#include "platform/gui.h"

namespace platform {

class prefetcher {
public:
    // At most `depth` fetches under way at once (1 to max_depth). `related`: the web view whose
    // engine and session the fetches share; when it goes away (its window closes), the
    // prefetcher stops. A prefetcher made without a web view, with another control, or with a
    // view whose session keeps no HTTP cache on disk (where nothing fetched ahead would be
    // kept), stays stopped.
    static constexpr int max_depth = 8;
    prefetcher(control* related, int depth);
    ~prefetcher();  // stops
    prefetcher(const prefetcher&) = delete;
    prefetcher& operator=(const prefetcher&) = delete;

    // Gets ready to fetch from this address's site now, so that the first fetch from it does
    // not wait for that; fetch does it anyway when needed.
    void prepare(const std::string& address);
    // Adds addresses to fetch, in this order, after those still waiting.
    void fetch(const std::vector<std::string>& addresses);
    // The address is being loaded by other means: if it is still waiting, it is not fetched.
    void skip(const std::string& address);
    // Changes the most fetches under way at once; fetches beyond it finish first.
    void set_depth(int depth);
    // Drops the addresses still waiting and breaks off the fetches under way; the prefetcher
    // fetches nothing more.
    void stop();

    bool stopped() const;
    int depth() const;
    int under_way() const;  // fetches started and not yet ended
    int waiting() const;    // addresses not yet started
    int finished() const;   // fetches ended, answered or not
    // Whether this address is being fetched now: a web view that loads it at once makes a second
    // request, one that waits for the fetch to end is answered from the cache.
    bool fetching(const std::string& address) const;
    // Lets the toolkit run until that fetch has ended, at most timeout_ms; true when it is not
    // (or no longer) being fetched.
    bool wait_for_fetch(const std::string& address, int timeout_ms) const;
    // How long the last fetches took from request to end, in milliseconds (a running mean; 0
    // before the first has ended): the round trip to the server as the engine sees it.
    double fetch_ms() const;

    struct engine;  // the toolkit's side

private:
    std::unique_ptr<engine> engine_;
};

}  // namespace platform
