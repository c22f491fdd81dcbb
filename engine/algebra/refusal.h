// Why a calculation left numbers as written. The evaluator folds what it
// can and leaves the rest of the tree as it is, without a word; a caller
// that wants to tell the user why (the program's Calculate command) keeps a
// refusalNote open while it calculates and reads the first reason noted.
#pragma once

namespace tovimat {

class refusalNote {
public:
    // Opens the note; it takes the reasons noted until it is destroyed, when
    // the note that was open before takes them again.
    refusalNote();
    ~refusalNote();
    refusalNote(const refusalNote&) = delete;
    refusalNote& operator=(const refusalNote&) = delete;

    // The first reason noted while this note was open; null when none.
    const char* reason() const { return reason_; }

    // Keeps reason in the open note, unless it already has one; does
    // nothing when no note is open. reason must outlive the note.
    static void note(const char* reason);

    // The reasons the evaluator gives.
    static constexpr const char* divisionByZero = "Cannot calculate: division by zero";
    static constexpr const char* tooLarge = "Cannot calculate: the result is too large";
    static constexpr const char* undefined = "Cannot calculate: the result is not defined";
    static constexpr const char* zeroIndex = "Cannot calculate: a root of index 0";

private:
    refusalNote* outer_;
    const char* reason_ = nullptr;
};

}  // namespace tovimat
