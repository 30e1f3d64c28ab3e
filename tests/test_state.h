#pragma once
// For tests only: write access to the game's state, which every other file
// reads through const references and changes only through its owner's
// functions. Set-up that an owner's function can do goes through it instead;
// this is for states a run would take many rounds to reach.

// The state behind a const reference is an ordinary variable of its owner's
// file, so writing it through this is well defined.
template <class T>
T& writable(const T& state) {
    return const_cast<T&>(state);
}
