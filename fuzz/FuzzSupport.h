// A statistics set is some 150 KiB; allocating fresh ones for every input spends most of
// the fuzzer's time in the sanitizer's large-block allocator. These sets are still new for
// every input, but are built in storage that lives as long as the program.
#pragma once

#include "model/uDrayData.h"

#include <new>
#include <utility>

namespace vexlorin::fuzz {

template <int Slot> class TScratchSet {
public:
    template <typename... A> explicit TScratchSet(A&&... AArgs) {
        FSet = new (Storage()) TDrayData(std::forward<A>(AArgs)...);
    }
    ~TScratchSet() { FSet->~TDrayData(); }
    TScratchSet(const TScratchSet&) = delete;
    TScratchSet& operator=(const TScratchSet&) = delete;

    TDrayData* operator->() const { return FSet; }
    TDrayData& operator*() const { return *FSet; }

private:
    static void* Storage() {
        alignas(TDrayData) static unsigned char storage[sizeof(TDrayData)];
        return storage;
    }
    TDrayData* FSet;
};

} // namespace vexlorin::fuzz
