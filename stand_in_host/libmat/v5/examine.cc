#include "v5/examine.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>
#include <algorithm>

#include "common/text_format.h"
#include "common/byte_order.h"
#include "v5/array.h"
#include "v5/element.h"
#include "v5/stream.h"

namespace mat_v5 {

namespace {

constexpr size_t kHeaderTextBytes = 116;
constexpr size_t kSubsystemAt = 116;


std::string headerText(const FileBytes &file) {
  char text[kHeaderTextBytes];
  if (!file.readAt(0, text, sizeof text)) return std::string();
  std::string kept(text, sizeof text);
  size_t end = kept.find_last_not_of(std::string(" \0", 2));
  return end == std::string::npos ? std::string() : kept.substr(0, end + 1);
}

// What the header of an array says, as an examination reports it.
void describe(const mxArray &array, VariableExamination &v) {
  v.described = true;
  v.name = array.name;
  v.className = array.objectClassName.empty() ? className(array.cls) : array.objectClassName;
  v.dims.assign(array.dims.begin(), array.dims.end());
  v.global = array.isGlobal;
  v.complex = array.isComplex;
  v.logical = array.cls == ArrayClass::Logical;
  v.sparse = array.isSparse;
}

// The reason for a failed read: the deflate stream's own, when it broke or
// was cut short, else the first fault the parse found.
void placeFault(VariableExamination &v, const Check &check, const InflateStream *inflated,
                const TopElement &element, uint64_t elementOffset) {
  Fault &fault = v.fault;
  fault.found = true;
  if (inflated != nullptr && inflated->range().failed()) {
    uint64_t used = inflated->range().compressedBytesUsed();
    std::string why = inflated->range().errorText();
    fault.placed = true;
    fault.at = element.dataOffset + used;
    if (why == "incorrect data check") {
      fault.what = "Adler-32 mismatch at the end of the deflate stream";
    } else if (!why.empty()) {
      fault.what = formatText("deflate stream broken at compressed byte %llu (%s)", ull(used), why.c_str());
    } else {
      fault.what = formatText("deflate stream cut short after %llu of its %u compressed bytes", ull(used),
                          element.nbytes);
    }
    return;
  }
  fault.what = check.found ? check.what : std::string("the element could not be read");
  if (!check.found) return;
  fault.placed = true;
  if (inflated != nullptr) {
    fault.at = elementOffset;
    fault.inInflated = true;
    fault.inflatedAt = check.position;
  } else {
    fault.at = check.position;
  }
}

// One read of the element: its header, or the whole of it (data checked
// and dropped). Null, with the fault placed, if it fails.
standin::ArrayPtr readOnce(const FileBytes &file, const FileHeader &header,
                           const TopElement &element, uint64_t elementOffset, bool whole,
                           InflateWorkspace &workspace, VariableExamination &v) {
  Check check;
  standin::ArrayPtr array;
  if (element.type == kMatrix) {
    FileRangeStream stream(file, element.dataOffset, element.nbytes);
    Span body{&stream, header.swapBytes, element.nbytes, &check};
    array = readMatrix(body, whole, 0);
    if (array && whole && body.left != 0) {
      fault(body, "%llu bytes after the array's data in its element", ull(body.left));
      array.reset();
    }
    if (!array) placeFault(v, check, nullptr, element, elementOffset);
    return array;
  }
  InflateStream stream(file, element.dataOffset, element.nbytes, &workspace);
  Span inflated{&stream, header.swapBytes, kMaxInflation * element.nbytes + kInflationSlack, &check};
  Tag tag;
  if (readTag(inflated, tag)) {
    if (tag.type != kMatrix || tag.small) {
      fault(inflated, "the compressed stream holds an element of type %u, not an array", tag.type);
    } else {
      Span body = enterElement(inflated, tag);
      array = readMatrix(body, whole, 0);
    }
  }
  if (array && whole) {
    if (stream.endsHere()) {
      v.inflatedBytes = stream.position();
    } else {
      if (!stream.range().failed()) {
        fault(inflated, "the compressed stream goes on after the array's element");
      }
      array.reset();
    }
  }
  if (!array) placeFault(v, check, &stream, element, elementOffset);
  return array;
}

void examineElement(const FileBytes &file, const FileHeader &header, const TopElement &element,
                    uint64_t offset, InflateWorkspace &workspace, VariableExamination &v) {
  standin::ArrayPtr head = readOnce(file, header, element, offset, false, workspace, v);
  if (!head) return;
  describe(*head, v);
  if (head->name.empty()) {
    v.fault.found = true;
    v.fault.what = "the variable has no name";
    v.fault.placed = true;
    v.fault.at = offset;
    return;
  }
  standin::ArrayPtr whole = readOnce(file, header, element, offset, true, workspace, v);
  if (!whole) return;
  if (!whole->objectClassName.empty()) v.className = whole->objectClassName;
  if (whole->isSparse) v.storedValues = whole->nzmax;
}

// The element at `offset` cannot be located whole: what is there is
// examined as far as it goes, and locating stops.
void examineCut(const FileBytes &file, const FileHeader &header, const TopElement &element,
                uint64_t offset, uint64_t index, InflateWorkspace &workspace,
                FileExamination &examination) {
  uint64_t present = file.size() - element.dataOffset;
  VariableExamination v;
  v.index = index;
  v.offset = offset;
  v.storedBytes = file.size() - offset;
  v.storage = element.type == kCompressed ? "deflate" : "plain";
  if (element.type == kMatrix || element.type == kCompressed) {
    TopElement cut = element;
    cut.nbytes = static_cast<uint32_t>(present);
    standin::ArrayPtr head = readOnce(file, header, cut, offset, false, workspace, v);
    if (head) describe(*head, v);
  }
  v.fault = Fault();
  v.fault.found = true;
  v.fault.what = formatText("cut short: the element claims %u bytes of data, and the file ends %llu "
                        "bytes after its tag",
                        element.nbytes, ull(present));
  v.fault.placed = true;
  v.fault.at = file.size();
  examination.variables.push_back(v);
  examination.stop.found = true;
  examination.stop.what = formatText("the element at offset 0x%llX runs past the end of the file; "
                                 "nothing from offset 0x%llX on can be located",
                                 ull(offset), ull(offset));
  examination.stop.placed = true;
  examination.stop.at = offset;
}

// The padding (at most 7 bytes) the end of the file cut from the array
// element of `v`: the salvage writes it back, so that the element after it
// in the new file starts where a reader looks for it.
uint64_t cutPadding(const FileBytes &file, const FileHeader &header, const VariableExamination &v) {
  TopElement element;
  if (!readTopElement(file, header, v.offset, element) || element.type != kMatrix) return 0;
  uint64_t padded = 8 + element.nbytes + (8 - element.nbytes % 8) % 8;
  return padded > v.storedBytes ? padded - v.storedBytes : 0;
}

}  // namespace

void examine(const FileBytes &file, const FileHeader &header, FileExamination &examination) {
  examination.version = "5";
  examination.bigEndian = header.swapBytes != byte_order::hostIsBigEndian();
  examination.headerText = headerText(file);
  InflateWorkspace workspace;
  uint64_t index = 0;
  for (uint64_t offset = header.firstElement; offset < file.size();) {
    if (file.size() - offset < 8) {
      examination.stop.found = true;
      examination.stop.what = formatText("the last %llu bytes, at offset 0x%llX, are too few for an "
                                     "element's tag",
                                     ull(file.size() - offset), ull(offset));
      examination.stop.placed = true;
      examination.stop.at = offset;
      return;
    }
    TopElement element;
    bool located = readTopElement(file, header, offset, element);
    if (!located && !file.holds(element.dataOffset, element.nbytes)) {
      examineCut(file, header, element, offset, index, workspace, examination);
      return;
    }
    if (element.type == kCompressed) examination.compressed = true;
    if (located && !isVariable(header, offset)) {
      offset = element.next;
      continue;
    }
    VariableExamination v;
    v.index = index++;
    v.offset = offset;
    if (!located) {  // of a type that is neither an array nor compressed
      element.next = element.dataOffset + element.nbytes;
      v.storedBytes = element.next - offset;
      v.storage = "unknown";
      v.fault.found = true;
      v.fault.what = formatText("an element of type %u, neither an array nor compressed", element.type);
      v.fault.placed = true;
      v.fault.at = offset;
    } else {
      v.storedBytes = element.next - offset;
      v.storage = element.type == kCompressed ? "deflate" : "plain";
      examineElement(file, header, element, offset, workspace, v);
    }
    examination.variables.push_back(v);
    offset = element.next;
  }
}

bool salvage(const FileBytes &file, const FileHeader &header, const FileExamination &examination,
             int out, std::string &why) {
  // The header as it was, but for where the subsystem data element lies:
  // it is copied after the variables, or, if it cannot be located, the
  // header says there is none (8 spaces), so that no variable is taken
  // for it.
  unsigned char bytes[128];
  if (!file.readAt(0, bytes, sizeof bytes)) {
    why = "the header cannot be read";
    return false;
  }
  uint64_t written = sizeof bytes;
  for (const VariableExamination &v : examination.variables) {
    if (!v.fault.found) written += v.storedBytes + cutPadding(file, header, v);
  }
  TopElement subsystem;
  bool hasSubsystem = header.subsystemOffset != 0 &&
                      readTopElement(file, header, header.subsystemOffset, subsystem);
  uint64_t subsystemAt = written;
  if (hasSubsystem) {
    if (header.swapBytes) byte_order::swapEach(&subsystemAt, 1, 8);
    std::memcpy(bytes + kSubsystemAt, &subsystemAt, 8);
  } else {
    std::memset(bytes + kSubsystemAt, ' ', 8);
  }
  bool copied = ::write(out, bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes);
  static const unsigned char kZeros[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  for (const VariableExamination &v : examination.variables) {
    if (!copied || v.fault.found) continue;
    copied = file.copyTo(v.offset, v.storedBytes, out);
    size_t missing = static_cast<size_t>(cutPadding(file, header, v));
    if (copied && missing != 0) {
      copied = ::write(out, kZeros, missing) == static_cast<ssize_t>(missing);
    }
  }
  if (copied && hasSubsystem) {
    copied = file.copyTo(header.subsystemOffset, subsystem.next - header.subsystemOffset, out);
  }
  if (!copied) why = "writing the salvaged file failed";
  return copied;
}

}  // namespace mat_v5
