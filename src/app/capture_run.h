#pragma once
// One capture run, from a confirmed START to its end: its state, the walk over the grid, the
// tile request under way with its patience, and the temporary files it has written.
//
// The main loop drives it: on_pass() once per pass (it captures a finished page, notices a
// page that takes too long, asks again for a tile that did not come), on_browser_event() for
// the tile panel's events, and close() when the window closes. Everything runs on the GUI
// thread inside one pass; a capture step and the end of a run handle no event meanwhile.
#include <chrono>
#include <cstdint>
#include <string>

#include "app/area.h"
#include "app/request_pacing.h"
#include "app/run_messages.h"
#include "app/run_settings.h"
#include "app/temporary_files.h"
#include "app/tile_grid.h"
#include "platform/file_lock.h"
#include "platform/prefetcher.h"

namespace app {

enum class run_state {
    idle,            // no run under way
    page_finished,   // the page on show has ended: it is captured on the next pass the panel is not busy
    page_requested,  // a tile has been asked for; its page has not ended yet
    retry_wait,      // a tile did not come; it is asked for again once its wait is over
};

// What START read and computed for a run.
struct run_plan {
    area bounds;
    int zoom = 0;
    int compression = 0;  // 1 (smallest file) to 10
    tile_grid grid;
};

// A page is given this long to settle before it is captured, counted from when it was asked
// for; it is also the shortest a capture step can take, whatever the link.
constexpr int64_t settle_ms = 10;

// The file in drive C whose lock a run holds, so that two windows never capture into one drive.
constexpr char drive_lock_file[] = "C:/Lomtra-SAT.lock";

class capture_run {
public:
    explicit capture_run(run_settings settings = {}) : settings_(std::move(settings)) {}
    capture_run(const capture_run&) = delete;
    capture_run& operator=(const capture_run&) = delete;

    // A new start with these settings: idle, nothing written, the drive not held.
    void reset(run_settings settings);

    // Takes drive C for a run; false while another window (or process) is capturing into it.
    bool claim_drive() { return drive_lock_.try_lock(drive_lock_file); }
    void release_drive() { drive_lock_.unlock(); }

    // START confirmed (the drive claimed): the run begins with the priming capture of whatever
    // the panel shows, on the next pass in which the panel is not busy.
    void begin(const run_plan& plan);

    void on_pass();
    void on_browser_event(int type);
    // The window closes: the run's temporary files go, and so do the diagnostic files unless
    // another window is capturing into the same drive.
    void close();

    run_state state() const { return state_; }
    bool active() const { return state_ != run_state::idle; }
    // Captures saved in this run, the priming one included; the number of the next tile file.
    int64_t capture_count() const { return capture_count_; }
    // The tile the walk asks for next (after the priming capture: the one under way).
    tile_position next_tile() const;
    const run_plan& plan() const { return plan_; }
    const run_settings& settings() const { return settings_; }

private:
    using clock = std::chrono::steady_clock;

    // The tile request under way.
    struct tile_request {
        bool out = false;  // a tile has been asked for and not yet captured
        tile_position tile;
        std::string address;
        clock::time_point sent_at;
        clock::time_point awaited_since;  // the first request, or the user's last Yes
        clock::time_point retry_at;
        int attempts = 0;  // requests of this tile so far
        int failures = 0;  // failures since awaited_since
        std::string reason;
    };

    void capture_step();
    // What a capture step owes the capture it rendered: the cut, the encodes, the preview and
    // the progress. It is done once the next page has loaded, in what is left of that page's
    // settling time when that covers it, else while the engine draws the page, so that neither
    // the next page's load nor its drawing waits for it; or sooner, when that page is slow or
    // fails, so that the files and the preview never lag behind by more than a moment. The
    // failure, or the empty text (a failure of the priming capture is no failure).
    std::string keep_owed_capture();
    // The same, stopping the run on a failure; false when it has been stopped.
    bool settle_owed_capture();
    void request_tile(int64_t k);
    // Fetching ahead: the tiles after k, as far as the depth the link needs, go to the
    // prefetcher; the depth follows the measured round trip and capture step.
    void start_prefetching();
    void prefetch_after(int64_t k);
    void send_request();
    // A tile that did not come; `load_failed` when its load failed at the network level (not
    // when it went unanswered or the engine only failed to paint it).
    void tile_failed(const std::string& reason, bool load_failed);
    void ask_whether_to_go_on();
    tile_failure described_failure() const;
    void finish();
    void stop(const std::string& error);
    void back_to_idle(bool completed);
    void show_download_progress();
    bool awaiting_answer(clock::time_point now) const;
    bool patience_spent(clock::time_point now) const;

    run_settings settings_;
    run_state state_ = run_state::idle;
    run_plan plan_;
    int64_t capture_count_ = 0;
    bool owed_ = false;  // capture number capture_count_ is in image 0 and not yet kept
    double keep_ms_ = 0;  // running mean of the time keeping a capture takes
    tile_request request_;
    request_pacer pacer_;  // spans runs: the server is spared between runs as within one
    temporary_files files_;
    std::unique_ptr<platform::prefetcher> prefetcher_;  // none when fetching ahead is off
    int prefetch_cap_ = 0;
    int64_t prefetched_through_ = 0;  // the last tile of the walk handed to the prefetcher
    // The panel's own loads, before anything is fetched ahead: how many, and the quickest.
    int own_loads_ = 0;
    double quickest_own_load_ms_ = 0;
    bool fetching_ahead_ = false;
    platform::file_lock drive_lock_;
};

}  // namespace app
