#pragma once
// While the equaliser is the desktop's default sink, the default it replaced
// is kept in a small file ($XDG_STATE_HOME/osConfLib/default-sink, written
// atomically) beside a lock file. A process that ends in order puts the
// default back and removes the file; after one that was killed, the next
// start finds the file with its lock free and puts the default back then.
// The lock also keeps two programs that load this library from both taking
// over the default sink.

#include <optional>
#include <string>

namespace osconf {

class DefaultSinkMemory {
public:
    // The folder is created on demand.
    explicit DefaultSinkMemory(std::string folder);
    ~DefaultSinkMemory();
    DefaultSinkMemory(const DefaultSinkMemory&) = delete;
    DefaultSinkMemory& operator=(const DefaultSinkMemory&) = delete;

    // $XDG_STATE_HOME/osConfLib, else ~/.local/state/osConfLib.
    static std::string defaultFolder();

    // Takes the lock without waiting; false with `error` set when another
    // process holds it or the lock file cannot be made.
    bool lock(std::string& error);
    void unlock();
    bool locked() const { return lockFd_ >= 0; }

    // The default sink's metadata value before the equaliser took over;
    // none when no default was configured. Only while locked.
    bool save(const std::optional<std::string>& previous, std::string& error);
    // What a run that did not restore left behind: nothing when there is no
    // file; an empty inner value when no default was configured then.
    std::optional<std::optional<std::string>> load() const;
    void forget();

    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;
    int lockFd_ = -1;
};

}  // namespace osconf
