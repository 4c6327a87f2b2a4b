// TextString: the program's growable byte string, for product names, prompts,
// captions and the lines of a text file. It counts its bytes instead of
// ending them with a zero, so it can hold any byte, zero included. The
// platform wants zero-terminated text: ToCString copies the bytes into the
// shared ConversionBuffer, which is good only until the next conversion.
//
// The string owns its block. It grows in whole steps: the first block is a
// multiple of 128 bytes, and each later growth doubles the step, so long
// texts built a byte at a time still cost linear time.
#pragma once

class TextString {
public:
  static constexpr int kInitialStep = 128;

  TextString() = default;
  // Implicit, so that literals mix with strings: "Install " + name.
  // A null text gives the empty string.
  TextString(const char* text);
  TextString(const char* bytes, int count);
  TextString(const TextString& other);
  TextString(TextString&& other) noexcept;
  TextString& operator=(const TextString& other);
  TextString& operator=(TextString&& other) noexcept;
  ~TextString();

  // These accept bytes from this string itself. A null text or a length
  // below 1 is the empty text: Set empties the string, Append adds nothing.
  // Growing past 0x3FFFFFFF bytes throws std::bad_alloc.
  void Set(const char* text);
  void Set(const char* bytes, int count);
  void Append(const char* text);
  void Append(const char* bytes, int count);
  void Append(char c);
  void Append(const TextString& other);
  TextString& operator+=(const TextString& other);
  TextString& operator+=(char c);

  // Empties the string and keeps its block.
  void Clear() { length = 0; }

  int Length() const { return length; }
  int Capacity() const { return capacity; }
  bool IsEmpty() const { return length == 0; }
  // The bytes, not zero-terminated; never null.
  const char* Data() const;
  // The byte at `index`, 0 outside 0 .. Length() - 1.
  char At(int index) const;

  // The text in the ConversionBuffer, zero-terminated, cut to its first
  // ConversionBuffer::kMaxText bytes. Valid until the next conversion.
  const char* ToCString() const;

  // Byte-wise order, bytes taken unsigned; a string sorts before the longer
  // strings it begins. Negative, zero or positive.
  int Compare(const TextString& other) const;

private:
  // Makes room for `needed` bytes, keeping the first `keep`. Returns the old
  // block, which the caller frees once it has copied what it needs from it;
  // null when the block did not change.
  char* Reserve(long long needed, int keep);

  char* data = nullptr;  // owned; null until the first byte is stored
  int length = 0;
  int capacity = 0;
  int step = kInitialStep;
};

bool operator==(const TextString& a, const TextString& b);
bool operator!=(const TextString& a, const TextString& b);
bool operator<(const TextString& a, const TextString& b);
TextString operator+(const TextString& a, const TextString& b);
