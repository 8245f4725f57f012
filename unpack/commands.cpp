#include "unpack/commands.h"

#include <cinttypes>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "reader/pack_reader.h"
#include "unpack/check_rules.h"
#include "unpack/entry_path.h"
#include "unpack/list_plan.h"
#include "unpack/name_text.h"
#include "unpack/output_tree.h"

namespace scrpack {
namespace {

void complain(const std::string& message) {
  std::fprintf(stderr, "scrunpack: %s\n", message.c_str());
}

// Opens the pack or says why not; false when it is unreadable.
bool openPack(const Arguments& arguments, PackReader* pack) {
  const PackError error = pack->open(arguments.pack);
  if (error == PackError::kNone) return true;
  complain(shownName(arguments.pack) + ": " + describePackError(error));
  return false;
}

void printFindingsJson(const std::vector<Finding>& findings,
                       Severity severity) {
  const char* separator = "";
  std::printf("[");
  for (const Finding& f : findings) {
    if (f.severity != severity) continue;
    std::printf("%s\n    {\"slot\": %d, \"message\": %s}", separator, f.slot,
                jsonString(f.message).c_str());
    separator = ",";
  }
  std::printf("%s]", *separator ? "\n  " : "");
}

int reportFindings(const Arguments& arguments, size_t entries,
                   const std::vector<Finding>& findings) {
  size_t problems = 0;
  for (const Finding& f : findings) {
    if (f.severity == Severity::kProblem) ++problems;
  }
  const size_t warnings = findings.size() - problems;
  if (arguments.json) {
    std::printf("{\n  \"pack\": %s,\n  \"entries\": %zu,\n  \"problems\": ",
                jsonString(arguments.pack).c_str(), entries);
    printFindingsJson(findings, Severity::kProblem);
    std::printf(",\n  \"warnings\": ");
    printFindingsJson(findings, Severity::kWarning);
    std::printf("\n}\n");
  } else {
    for (const Finding& f : findings) {
      std::printf("%s: %s\n",
                  f.severity == Severity::kProblem ? "problem" : "warning",
                  f.message.c_str());
    }
    std::printf("%s: %zu %s, %zu %s, %zu %s\n",
                shownName(arguments.pack).c_str(), entries,
                entries == 1 ? "entry" : "entries", problems,
                problems == 1 ? "problem" : "problems", warnings,
                warnings == 1 ? "warning" : "warnings");
  }
  return problems > 0 ? kExitProblems : kExitFine;
}

const char* writeFailure(WriteStatus status) {
  switch (status) {
    case WriteStatus::kExists:
      return "the file exists; --force replaces it";
    case WriteStatus::kSymlink:
      return "a symlink is on the way; it is not followed";
    case WriteStatus::kBlocked:
      return "a file or directory of that name is in the way";
    default:
      return nullptr;
  }
}

// The items to extract: all, or the first of each named one.
bool selectItems(const Arguments& arguments, const PackReader& pack,
                 std::vector<const PackItem*>* selected) {
  bool found = true;
  if (arguments.names.empty()) {
    for (const PackItem& item : pack.items()) selected->push_back(&item);
    return true;
  }
  std::set<int> slots;
  for (const std::string& name : arguments.names) {
    const PackItem* item = pack.find(name);
    if (!item) {
      complain(shownName(name) + ": no such entry in " +
               shownName(arguments.pack));
      found = false;
    } else if (slots.insert(item->slot).second) {
      selected->push_back(item);
    }
  }
  return found;
}

}  // namespace

int runList(const Arguments& arguments) {
  PackReader pack;
  if (!openPack(arguments, &pack)) return kExitUnusable;
  if (arguments.json) {
    std::printf("[");
    const char* separator = "";
    for (const PackItem& item : pack.items()) {
      std::printf("%s\n  {\"slot\": %d, \"name\": %s, \"offset\": %" PRId32
                  ", \"size\": %" PRId32 "}",
                  separator, item.slot, jsonString(item.name).c_str(),
                  item.offset, item.size);
      separator = ",";
    }
    std::printf("%s]\n", *separator ? "\n" : "");
    return kExitFine;
  }
  std::printf("slot     offset       size  name\n");
  for (const PackItem& item : pack.items()) {
    std::printf("%4d %10" PRId32 " %10" PRId32 "  %s\n", item.slot, item.offset,
                item.size, shownName(item.name).c_str());
  }
  return kExitFine;
}

int runCheck(const Arguments& arguments) {
  PackReader pack;
  const PackError error = pack.open(arguments.pack);
  if (error == PackError::kTooShort) {
    return reportFindings(
        arguments, 0,
        {{Severity::kProblem, 0,
          "the pack is truncated: shorter than its 1536-byte directory"}});
  }
  if (error != PackError::kNone) {
    complain(shownName(arguments.pack) + ": " + describePackError(error));
    return kExitUnusable;
  }
  std::vector<Finding> findings = checkPack(pack);
  if (arguments.hasListDir) {
    std::vector<PlannedEntry> plan;
    if (!planFromList(arguments.listDir, &plan)) {
      complain(shownName(listPathIn(arguments.listDir)) +
               ": cannot open the list file");
      return kExitUnusable;
    }
    const std::string& dir = arguments.listDir;
    const std::vector<Finding> differences = compareWithPlan(
        pack, plan,
        [&dir](const PlannedEntry& entry, std::vector<unsigned char>* bytes) {
          return readPlannedFile(dir, entry, bytes);
        });
    // Differences are problems: they go before the warnings.
    size_t problems = 0;
    while (problems < findings.size() &&
           findings[problems].severity == Severity::kProblem) {
      ++problems;
    }
    findings.insert(findings.begin() + static_cast<std::ptrdiff_t>(problems),
                    differences.begin(), differences.end());
  }
  return reportFindings(arguments, pack.items().size(), findings);
}

int runExtract(const Arguments& arguments) {
  PackReader pack;
  if (!openPack(arguments, &pack)) return kExitUnusable;
  std::string error;
  const std::unique_ptr<OutputTree> tree =
      OutputTree::open(arguments.outputDir, &error);
  if (!tree) {
    complain(shownName(arguments.outputDir) +
             ": cannot open the directory: " + error);
    return kExitUnusable;
  }
  std::vector<const PackItem*> selected;
  int status =
      selectItems(arguments, pack, &selected) ? kExitFine : kExitProblems;
  std::map<std::string, int> written;  // path -> the slot that has it
  for (const PackItem* item : selected) {
    const std::string what = "slot " + std::to_string(item->slot) + " " +
                             shownName(item->name) + ": not extracted: ";
    const EntryPath path = entryPath(item->name, OutputTree::rules());
    if (!path.refusal.empty()) {
      complain(what + "the name " + path.refusal);
      status = kExitProblems;
      continue;
    }
    const auto first = written.emplace(joinedPath(path), item->slot);
    if (!first.second) {
      complain(what + "same path as slot " +
               std::to_string(first.first->second) + ", which wins");
      status = kExitProblems;
      continue;
    }
    if (!pack.inRange(*item)) {
      complain(what + describePackError(PackError::kOutOfRange));
      status = kExitProblems;
      continue;
    }
    const WriteResult result = tree->write(
        path, arguments.force, item->size,
        [&pack, item](int64_t start, unsigned char* buffer, size_t count) {
          return pack.read(*item, start, buffer, count) == PackError::kNone;
        });
    if (result.status != WriteStatus::kWritten) {
      const char* why = writeFailure(result.status);
      complain(what + (why ? why : result.detail));
      status = kExitProblems;
    }
  }
  return status;
}

}  // namespace scrpack
