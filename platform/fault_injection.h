// Fault injection for tests: every read, write, flush and size change of the
// platform layer passes through one choke point (raw_io.h), where an armed
// plan can fail or shorten a write, fail a flush, or simulate a crash.
//
// Crash simulation. While crash tracking is on, the first write or size
// change of a file after its last flush (or after tracking began, which
// counts as a flush point for every file) notes the file's durable size;
// before each later write or cut, the bytes about to be overwritten or cut
// that lie below that durable size are saved with their offsets. A flush
// through any open of the file forgets the saved bytes and notes the new
// durable size. A crash then writes the saved bytes back in reverse order
// (so each byte gets its oldest saved value: its content at the last flush)
// and cuts each file to its durable size, through a separate descriptor
// opened for the purpose; from then on every read, write, flush and size
// change fails with an I/O error until resetFaults(). Files are tracked by
// device and inode, so all opens of a file share one record, and a file
// closed without a flush still loses its unflushed bytes. Creating,
// removing and renaming files are taken as durable at once.
//
// Process-wide; not for use while other threads do I/O.
#pragma once

namespace linkar::platform::faults {

enum class Fault {
  None,          // count writes and flushes only
  FailWrite,     // the nth write fails, writing nothing (I/O error: 29)
  ShortWrite,    // the nth write writes its first half, then fails (disk full: 39)
  FailFlush,     // the nth flush fails (29); the data stays unflushed
  CrashAtWrite,  // the nth write does not happen: crash instead
  CrashAtFlush,  // the nth flush does not happen: crash instead
};

// Arms `fault` at the nth write or flush (n counts from 1, from this call;
// size changes are not counted). Resets the counters. The crash faults turn
// crash tracking on. Replaces any plan armed before; tracking stays on.
void armFault(Fault fault, long n);

// Turns crash tracking on (see above) without arming a fault.
void trackCrashes();

// Simulates a crash now: drops everything written since the last flush of
// each tracked file. Later I/O fails until resetFaults().
void simulateCrash();

// True once a crash was simulated (by simulateCrash or an armed crash).
bool crashed();

// True once the armed fault has been triggered.
bool faultTriggered();

// Writes and flushes seen since the plan was armed.
long writesSinceArmed();
long flushesSinceArmed();

// Disarms everything, forgets all tracking and lets I/O work again.
void resetFaults();

// Resets the faults when it goes out of scope, so that a failing test does
// not leave its plan armed for the next one.
class FaultScope {
 public:
  FaultScope() = default;
  ~FaultScope() { resetFaults(); }
  FaultScope(const FaultScope&) = delete;
  FaultScope& operator=(const FaultScope&) = delete;
};

}  // namespace linkar::platform::faults
