#pragma once

#include "platform/data/MakeMsgID.h"

// How long the connections opened in its scope wait for another program's
// write; the wait set before comes back at its end.
class CScopedWriterWait
{
  public:
    explicit CScopedWriterWait(int milliseconds) : m_old(CMakeMsgID::SetWriterWait(milliseconds)) {}
    ~CScopedWriterWait() { CMakeMsgID::SetWriterWait(m_old); }
    CScopedWriterWait(const CScopedWriterWait&) = delete;
    CScopedWriterWait& operator=(const CScopedWriterWait&) = delete;

  private:
    int m_old;
};
