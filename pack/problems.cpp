#include "pack/problems.h"

#include "status/status_output.h"

namespace scrpack {

const char kNameTooLong[] = "name too long; packed with size 0";
const char kNotFound[] = "not found; packed with size 0";
const char kCannotBeRead[] = "cannot be read; packed with size 0";
const char kEmptyName[] = "packed with size 0";
const char kTooLarge[] = "too large; packed with size 0";
const char kNoSlotLeft[] = "no directory slot left; packed without an entry";
const char kSameEntryName[] = "same entry name as an earlier file";
const char kChangedWhilePacking[] =
    "changed while packing; packed as its entry says";
const char kReadFailed[] =
    "read failed; zero bytes packed in place of the unread ones";

const char kEmptyLineSubject[] = "(empty line)";
const char kCutMark[] = "...";

const char kPackCannotBeWritten[] = "cannot be written";
const char kPackIncomplete[] = "write failed; the pack is incomplete";
const char kPackWriteFailedLeft[] = "write failed; velkoscr left as it was";
const char kPackReplaced[] = "replaced during the run; nothing written to it";
const char kListCannotBeRead[] = "cannot be read; velkoscr left as it was";
const char kListReadFailed[] = "read failed; the list ends here";

std::string problemLine(const std::string& subject, const char* phrase,
                        const std::string& reason) {
  std::string line = subject + ": " + phrase;
  if (reason.empty()) return line;
  const size_t clauseEnd = line.find(';', subject.size() + 2);
  line.insert(clauseEnd == std::string::npos ? line.size() : clauseEnd,
              " (" + reason + ")");
  return line;
}

void Problems::say(const std::string& subject, const char* phrase,
                   const std::string& reason) {
  status_.printLine(problemLine(subject, phrase, reason));
  ++count_;
}

}  // namespace scrpack
