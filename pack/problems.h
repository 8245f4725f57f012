// Problem lines: what the run says, as one more status line, when the pack
// is not what the list names. A problem line is the name it concerns, or
// the file's shown path, then ": ", then one of the phrases below; the
// system's words for a failure may follow the phrase's first clause in
// parentheses:
//
//   Cat.jpg: cannot be read (Permission denied); packed with size 0
//
// Each phrase is stated here once, for the documentation to quote.
#ifndef SCRPACK_PACK_PROBLEMS_H_
#define SCRPACK_PACK_PROBLEMS_H_

#include <string>

namespace scrpack {

class StatusOutput;

// Listed names, in the order in which they are said for one name.
extern const char kNameTooLong[];    // "name too long; packed with size 0"
extern const char kNotFound[];       // "not found; packed with size 0"
extern const char kCannotBeRead[];   // "cannot be read; packed with size 0"
extern const char kEmptyName[];      // "packed with size 0"
extern const char kTooLarge[];       // "too large; packed with size 0"
extern const char kNoSlotLeft[];     // "no directory slot left; ..."
extern const char kSameEntryName[];  // "same entry name as an earlier file"
extern const char kChangedWhilePacking[];  // "changed while packing; ..."
extern const char kReadFailed[];           // "read failed; zero bytes ..."

// The subject of kEmptyName, in place of the empty name.
extern const char kEmptyLineSubject[];  // "(empty line)"
// What follows the kept bytes of a cut name, in its status line too.
extern const char kCutMark[];  // "..."

// The pack and the list.
extern const char kPackCannotBeWritten[];  // "cannot be written"
extern const char kPackIncomplete[];  // "write failed; the pack is incomplete"
extern const char
    kPackWriteFailedLeft[];             // "write failed; velkoscr left as..."
extern const char kPackReplaced[];      // "replaced during the run; nothing..."
extern const char kListCannotBeRead[];  // "cannot be read; velkoscr left as..."
extern const char kListReadFailed[];    // "read failed; the list ends here"

// "SUBJECT: PHRASE", with " (REASON)" after the phrase's first clause when
// |reason| is not empty.
std::string problemLine(const std::string& subject, const char* phrase,
                        const std::string& reason = std::string());

// Prints problem lines through the status output and counts them.
class Problems {
 public:
  explicit Problems(StatusOutput& status) : status_(status) {}
  void say(const std::string& subject, const char* phrase,
           const std::string& reason = std::string());
  int count() const { return count_; }

 private:
  StatusOutput& status_;
  int count_ = 0;
};

}  // namespace scrpack

#endif  // SCRPACK_PACK_PROBLEMS_H_
