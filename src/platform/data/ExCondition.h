#pragma once

// A saved master extraction condition. The frame owns at most one active
// condition and deletes it through this base when the master list is left.
class CExCondition {
public:
    virtual ~CExCondition() = default;
};
