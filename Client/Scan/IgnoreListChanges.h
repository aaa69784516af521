#pragma once
#include <deque>
#include <memory>
#include <string>

#include "Client/Scan/IgnoreListFile.h"
#include "Client/Scan/IgnoreListSnapshot.h"
#include "Framework/CCriticalSection.h"

// The user's changes of "IL", written one after another on a worker, each on
// the list the one before left: a long list's write (the whole file, beside
// the old one) never holds the window, and a change asked for while another
// is written waits its turn on the worker, not in the window. Once the
// worker has taken the last change it ends; what the changes left is read
// from the window thread after that.
class IgnoreListChanges
{
public:
    enum class Kind
    {
        kInsert,  // a record of the key put in, unless the key is there
        kRemove,  // every record of the key cut out
    };

    IgnoreListChanges(std::string path, std::shared_ptr<const IgnoreListSnapshot> current, Kind kind,
                      std::string key);
    IgnoreListChanges(const IgnoreListChanges&) = delete;
    IgnoreListChanges& operator=(const IgnoreListChanges&) = delete;

    // False once the worker has taken its last change: the caller begins
    // anew on the list it left.
    bool Queue(Kind kind, std::string key);
    bool Running() const;
    // The worker's whole work.
    void WriteAll();

    // Once the worker has ended: how the last write went, whether a change
    // of a kind was made and whether one of them failed, and the list the
    // changes left (null when none wrote).
    IgnoreListFile::Status LastStatus() const { return m_lastStatus; }
    bool Made(Kind kind) const { return m_made[Index(kind)]; }
    bool Failed(Kind kind) const { return m_failed[Index(kind)]; }
    const std::shared_ptr<const IgnoreListSnapshot>& Written() const { return m_written; }

private:
    struct Change
    {
        Kind kind;
        std::string key;
    };
    static size_t Index(Kind kind) { return kind == Kind::kInsert ? 0 : 1; }
    bool TakeNext(Change& change);
    void Write(const Change& change);

    const std::string m_path;
    mutable CCriticalSection m_lock;
    // Under m_lock.
    std::deque<Change> m_queue;
    bool m_running = true;
    // The worker's own while it runs.
    std::shared_ptr<const IgnoreListSnapshot> m_current;
    IgnoreListFile::Status m_lastStatus = IgnoreListFile::Status::kDone;
    bool m_made[2] = {};
    bool m_failed[2] = {};
    std::shared_ptr<const IgnoreListSnapshot> m_written;
};
