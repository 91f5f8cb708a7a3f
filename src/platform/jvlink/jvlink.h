// The JV-Link control: every call the program makes, with its arguments and
// results. Each window that downloads holds its own instance.
//
// Text arguments are ASCII; the read buffer holds one raw JV-Data record as
// CP932 bytes (CR LF included). Results are 32-bit integers.
#pragma once
#include <memory>
#include <string>

namespace kv {

class JVLink {
public:
    virtual ~JVLink() = default;

    // Software identification ("a/b/name/version"): 0 = ready, else an error code.
    virtual int JVInit(const std::string& sid) = 0;
    // The settings dialog: -1 = failure.
    virtual int JVSetUIProperties() = 0;
    // Opens a dataspec from fromTime ("YYYYMMDDhhmmss") with option
    // (1 to 4). Out: readCount = files to read (0: nothing to read),
    // downloadCount = files still to download (> 0: poll JVStatus until it
    // reaches this count), lastFileTimestamp ("YYYYMMDDhhmmss" or empty).
    // Result: 0, or a negative error code.
    virtual int JVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
                       int& downloadCount, std::string& lastFileTimestamp) = 0;
    // Reads the next record. Result > 0: one record in buff (its length in
    // bytes; the first two bytes are the record id), size = its length,
    // fileName = the file it comes from. 0 = all read; -1 = end of a file (read
    // on); -3 = the file is still being downloaded; -402, -403 = the downloaded
    // file fileName is damaged (JVFiledelete it, JVClose, JVOpen again);
    // -203 = nothing open; other negatives = errors. On a result <= 0 buff is
    // emptied and size set to 0 (fileName names the file concerned, if any).
    virtual int JVRead(std::string& buff, int& size, std::string& fileName) = 0;
    // Files downloaded so far (compare with the download count); negative = the
    // download failed.
    virtual int JVStatus() = 0;
    // Stops the download.
    virtual int JVCancel() = 0;
    // Ends the current open or live open.
    virtual int JVClose() = 0;
    // Live data: "0B30" with a race id (odds of one race), "0B12" with a date
    // YYYYMMDD (results of one day). 0 = open; -1 = no such data; other
    // negatives = errors. Reads follow as after JVOpen.
    virtual int JVRTOpen(const std::string& dataSpec, const std::string& key) = 0;
    // Deletes a downloaded file (as reported by JVRead); 0 = deleted.
    virtual int JVFiledelete(const std::string& fileName) = 0;
};

// The JV-Link of this program on Linux: the feed-folder emulator over feedDir
// (see docs/jvfeed.md).
std::unique_ptr<JVLink> makeJVLink(const std::string& feedDir);

// The default feed folder: "<application folder>/jvfeed".
std::string defaultFeedDir();

// For the headless progress window: after how many JVStatus calls of the
// current download the user presses "キャンセル" (the feed's
// cancel_after_status); -1 when never, or when link is not a feed emulator.
int feedCancelAfterStatus(const JVLink& link);

// Where the file fileName that a read of dataSpec named lies, for messages:
// "<feed>/<dataSpec>/<fileName>" when link is a feed emulator, else
// "<dataSpec>/<fileName>".
std::string feedFilePath(const JVLink& link, const std::string& dataSpec, const std::string& fileName);

}  // namespace kv
