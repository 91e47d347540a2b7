#include "reference/literal_analysis.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zunkaro::reference {
namespace {

constexpr int kLineBuffer = 256;

// fgets on a text-mode stream as the log is read: carriage returns dropped,
// 0x1A the end of the file, at most 255 bytes through the next line feed.
bool ReadLine(std::FILE* file, char (&line)[kLineBuffer], bool& ended, bool& failed) {
  int length = 0;
  while (!ended && length < kLineBuffer - 1) {
    const int c = std::fgetc(file);
    if (c == EOF) {
      failed = std::ferror(file) != 0;
      ended = true;
      break;
    }
    if (c == '\r') continue;
    if (c == 0x1A) {
      ended = true;
      break;
    }
    line[length++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[length] = '\0';
  return length > 0;
}

bool PatternMatches(const char* line, const char* pattern) {
  const std::size_t n = std::strlen(pattern);
  for (std::size_t i = 0; i < n; ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (b == 0) return false;  // the line is shorter than the pattern
    const char p = pattern[i];
    const bool digit = b >= '0' && b <= '9';
    bool ok = false;
    if (p == '9') ok = digit;
    else if (p == 'Z') ok = (b >= 'A' && b <= 'Z') || b == '*';
    else if (p == 'X') ok = digit || b == '*';
    else if (p == '*') ok = true;
    else ok = b == static_cast<unsigned char>(p);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

int ClassifyLine(const char* line) {
  if (PatternMatches(line, "999/999   ZZZXXXXX  ****************  ")) return 1;
  if (PatternMatches(line, "99999/99999 ZZZXXXXX  **************** ")) return 2;
  if (PatternMatches(line, " \b\n")) return 3;
  return 0;
}

std::int32_t CountChars(const char* s) {
  std::int32_t count = 0;
  int pos = 0;
  while (s[pos] != '\0' && pos < 256) {
    const auto b = static_cast<unsigned char>(s[pos]);
    if (b <= 0x20) {
      pos += 1;
    } else if ((b >= 0x21 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
      count += 1;
      pos += 1;
    } else {
      if (!(b == 0x81 && static_cast<unsigned char>(s[pos + 1]) == 0x40)) count += 1;
      if (s[pos + 1] == '\0') break;  // the count ends at the string's end
      pos += 2;
    }
  }
  return count;
}

namespace {

// Copies at most `width` bytes from `column`, stopping at the end of the
// line, and converts them as atoi does.
int Field(const char* line, std::size_t column, std::size_t width) {
  char field[8] = {};
  if (std::strlen(line) > column) {
    for (std::size_t i = 0; i < width && line[column + i] != '\0'; ++i) {
      field[i] = line[column + i];
    }
  }
  return std::atoi(field);
}

}  // namespace

bool ExtractMessages(const std::filesystem::path& path, AnalysisState& state) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char line[kLineBuffer];
  char title[kLineBuffer];
  state.Messages.Clear();
  bool ended = false;
  bool failed = false;
  bool open = false;
  int n = 0;
  state.MessageCount = 0;
  while (ReadLine(file, line, ended, failed)) {
    const int kind = ClassifyLine(line);
    if (kind == 0) {
      if (open) state.Messages[static_cast<std::size_t>(n)]->CharCount += CountChars(line);
    } else if (kind == 3) {
      if (open) {
        ++n;
        open = false;
      }
    } else {
      if (open) {
        ++n;
        open = false;
      }
      if (n == static_cast<int>(kTableSlots)) {
        std::fclose(file);
        return false;
      }
      const bool shortForm = kind == 1;
      MessageRecord& m = state.Messages.Put(static_cast<std::size_t>(n));
      m.Number = Field(line, 0, shortForm ? 3 : 5);
      std::memcpy(m.UserId.data(), line + (shortForm ? 10 : 12), 8);
      m.UserId[8] = '\0';
      std::memcpy(m.Handle.data(), line + (shortForm ? 20 : 22), 16);
      m.Handle[16] = '\0';
      std::strcpy(title, line + (shortForm ? 38 : 39));
      if (ReadLine(file, line, ended, failed)) {
        m.Year = static_cast<std::int8_t>(Field(line, 7, 2));
        m.Month = static_cast<std::int8_t>(Field(line, 10, 2));
        m.Day = static_cast<std::int8_t>(Field(line, 13, 2));
        m.Hour = static_cast<std::int8_t>(Field(line, 16, 2));
        m.Minute = static_cast<std::int8_t>(Field(line, 19, 2));
      }
      m.CharCount = CountChars(title);
      m.Flags = mfNone;
      if (std::strncmp(title, "\x94\xad\x8c\xbe\x8e\xd2\x8d\xed\x8f\x9c", 10) == 0) {
        m.Flags = mfPosterDeleted;
      }
      if (std::strcmp(m.UserId.data(), "********") == 0) {
        m.Flags = mfSysopDeleted;
        m.CharCount = 0;
      }
      open = true;
    }
  }
  if (open) ++n;
  state.MessageCount = n;
  std::fclose(file);
  return !failed;
}

void TallyUsers(AnalysisState& state) {
  state.LongestMessage = MessageRecord{};
  state.SysopDeletedCount = 0;
  state.UserCount = 0;
  state.PostTotal = 0;
  state.CharTotal = 0;
  state.Users.Clear();
  for (int i = 0; i < state.MessageCount; ++i) {
    const MessageRecord& m = *state.Messages[static_cast<std::size_t>(i)];
    if ((m.Flags & mfPosterDeleted) != 0) continue;
    if (std::strcmp(m.UserId.data(), "********") == 0) {
      ++state.SysopDeletedCount;
      ++state.PostTotal;
      continue;
    }
    UserTally* found = nullptr;
    for (int k = 0; k < state.UserCount; ++k) {
      UserTally& r = *state.Users[static_cast<std::size_t>(k)];
      if (std::strcmp(r.UserId.data(), m.UserId.data()) == 0) {
        found = &r;
        break;
      }
    }
    if (found != nullptr) {
      std::strcpy(found->Handle.data(), m.Handle.data());
      ++found->PostCount;
      found->CharCount += m.CharCount;
    } else {
      UserTally& user = state.Users.Put(static_cast<std::size_t>(state.UserCount));
      std::strcpy(user.UserId.data(), m.UserId.data());
      std::strcpy(user.Handle.data(), m.Handle.data());
      user.PostCount = 1;
      user.CharCount = m.CharCount;
    }
    ++state.PostTotal;
    state.CharTotal += m.CharCount;
    if (m.CharCount > state.LongestMessage.CharCount) state.LongestMessage = m;
    if (found == nullptr) ++state.UserCount;
  }
  for (int k = 0; k < state.UserCount; ++k) {
    UserTally& r = *state.Users[static_cast<std::size_t>(k)];
    r.AverageChars = r.CharCount / r.PostCount;
  }
}

void SortUsersBy(AnalysisState& state, SortKey key) {
  const int n = state.UserCount;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      UserTally& a = *state.Users[static_cast<std::size_t>(i)];
      UserTally& b = *state.Users[static_cast<std::size_t>(j)];
      if (KeyOf(a, key) < KeyOf(b, key)) {
        state.SwapTemp = b;
        b = a;
        a = state.SwapTemp;
      }
    }
  }
}

void AssignRanks(AnalysisState& state, SortKey key, RankField rank) {
  if (state.UserCount == 0) return;
  UserTally& first = *state.Users[0];
  first.*rank = 1;
  std::int32_t previousRank = 1;
  std::int64_t previousKey = KeyOf(first, key);
  for (int j = 1; j < state.UserCount; ++j) {
    UserTally& r = *state.Users[static_cast<std::size_t>(j)];
    if (KeyOf(r, key) < previousKey) {
      r.*rank = j + 1;
      previousRank = j + 1;
      previousKey = KeyOf(r, key);
    } else {
      r.*rank = previousRank;
    }
  }
}

void RankUsers(AnalysisState& state) {
  SortUsersBy(state, SortKey::PostCount);
  AssignRanks(state, SortKey::PostCount, &UserTally::PostRank);
  SortUsersBy(state, SortKey::AverageChars);
  AssignRanks(state, SortKey::AverageChars, &UserTally::AverageRank);
  SortUsersBy(state, SortKey::CharCount);
}

}  // namespace zunkaro::reference
