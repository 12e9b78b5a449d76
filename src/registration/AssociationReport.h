// What the registration and the removal of many file types tell their caller: the outcome of each
// registry step, each failure as it happens, and the counts at the end. The window shows the
// failures in error boxes, the command line writes them out.
#pragma once

#include "registry/RegistryKey.h"

#include <optional>
#include <string>

// The outcome of a piece of registry work: nothing, or the failure that stopped it (the failed
// operation's name and the Win32 error code). What was written before the failure stays.
class RegistryOutcome {
public:
    RegistryOutcome() = default;
    RegistryOutcome(const CRegistryKey::Exception& failure) : failure(failure) {}

    explicit operator bool() const { return !failure.has_value(); }
    const std::optional<CRegistryKey::Exception>& Failure() const { return failure; }

private:
    std::optional<CRegistryKey::Exception> failure;
};

class AssociationReporter {
public:
    virtual ~AssociationReporter() = default;

    // The registry refused a step for the extension (as the list shows it); its remaining steps
    // were left out, and the work goes on with the next extension once this returns.
    virtual void TypeFailed(const std::wstring& extension,
                            const CRegistryKey::Exception& failure) = 0;
    // The registry refused a step of Veltrano's own entry in Default apps.
    virtual void ApplicationFailed(const CRegistryKey::Exception& failure) = 0;
};

// What became of the file types of one registration or removal.
struct AssociationCounts {
    int done = 0;   // registered, or removed (a type with nothing of the tool's left counts)
    int failed = 0; // reported to AssociationReporter::TypeFailed
    // Veltrano's own entry in Default apps: written (registration) or taken back when no type was
    // left (removal) without a failure.
    bool applicationDone = false;
};
