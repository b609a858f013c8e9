#pragma once

#include <stdexcept>
#include <string>

// Raised by CArchiveReader on bytes that are not a valid settings archive,
// and by the file helpers when an opened file cannot be read. Loaders catch
// it and offer their reset path; it never means a programming error.
class CArchiveError : public std::runtime_error
{
  public:
    enum Kind {
        EndOfFile, // the bytes end before the value does
        BadClass,  // a class record names a class not expected here
        BadSchema, // a class record carries a schema other than 1
        BadFormat, // a tag or length form the program never writes
        FileError  // the file opened but could not be read
    };

    CArchiveError(Kind kind, const std::string& what) : std::runtime_error(what), m_kind(kind) {}

    Kind GetKind() const { return m_kind; }

  private:
    Kind m_kind;
};
