#pragma once
#include <string>

// The registry reaches some keys by more than one name, and two categories
// may report one entry under two of them: the current user's hive is
// HKEY_CURRENT_USER and HKEY_USERS\<SID>; the user's classes are
// HKEY_USERS\<SID>_Classes, HKEY_CURRENT_USER\Software\Classes and a part of
// HKEY_CLASSES_ROOT. An ignore must hold for the entry, not for one of its
// names, so findings are held against each other by the place they name.
class FindingPlace
{
public:
    // The SID of the user whose hive HKEY_CURRENT_USER is ("S-1-5-21-...");
    // empty when it cannot be learnt, and then no HKEY_USERS name is taken
    // for the current user's.
    explicit FindingPlace(std::string userSid);

    // The SID of the user this process runs as; empty when it cannot be
    // learnt.
    static std::string CurrentUserSid();
    // The places of the user this process runs as, learnt once.
    static const FindingPlace& ForCurrentUser();

    // One text for every name of the entry a finding names: two findings
    // name the same registry key or value when their places are equal.
    // Registry names ignore case, and HKEY_CLASSES_ROOT merges the user's
    // classes with the machine's: every name of a classes key is taken for
    // the one place, since an ignored entry must never be deleted under
    // another name. A text that is no registry name is its own place.
    std::string Of(const std::string& finding) const;

private:
    std::string m_userHive;    // "\" and the lower-cased SID
    std::string m_userClasses; // the same and "_classes"
};
