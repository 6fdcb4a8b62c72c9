// A lone temperature block file holding one frame (Cali_SaveJpg).
#include <cstdlib>
#include <cstring>
#include <memory>

#include "OstrelSDK.h"
#include "alg/tools/ToolsCommon.h"
#include "files/Blocks.h"
#include "files/FileIo.h"

namespace {
constexpr uint64_t kDatedLengthBeyondCodes = 16672;
}  // namespace

extern "C" OSTREL_API int Cali_SaveJpg(const char* path, const void* frame) {
  if (!path || !frame) return OSTREL_E_ARGUMENT;
  DataFrameHead head;
  std::memcpy(&head, frame, sizeof head);
  if (head.width == 0 || head.height == 0) return -1;
  const size_t codesBytes = size_t(head.width) * head.height * 2;
  const size_t length = codesBytes + sizeof(TempBlockHead) + sizeof(BlockTrailer);
  // The dated form counts everything but the first 12 bytes; that count is 32 bits on disk.
  const uint64_t declared = uint64_t(codesBytes) + kDatedLengthBeyondCodes;
  if (declared > UINT32_MAX) return OSTREL_E_ARGUMENT;
  ostrel::alg::tools::MallocPtr<uint8_t[]> block(static_cast<uint8_t*>(std::calloc(length, 1)));
  if (!block) return -2;

  uint8_t* b = block.get();
  const uint32_t declared32 = uint32_t(declared);
  std::memcpy(b, &declared32, 4);
  std::memcpy(b + 4, "teMp", 4);
  TempFileHead fileHead;
  std::memset(&fileHead, 0, sizeof fileHead);
  fileHead.width = head.width;
  fileHead.height = head.height;
  std::memcpy(b + offsetof(TempBlockHead, header) + offsetof(TempHeader, head), &fileHead, sizeof fileHead);
  std::memcpy(b + offsetof(TempBlockHead, frameHead), frame, sizeof(DataFrameHead) + codesBytes);
  BlockTrailer trailer;
  ostrel::files::makeDatedTrailer(&trailer, head.width, head.height);
  std::memcpy(b + sizeof(TempBlockHead) + codesBytes, &trailer, sizeof trailer);

  const int rc = ostrel::files::replaceFile(path, b, length);
  if (rc == -200) return -3;
  return rc < 0 ? rc : 0;
}
