// The owning list of statistics sets behind the main window's list box. Every change of
// its contents is reported to one handler; a removed set is destroyed only after the
// handler has seen it.
#pragma once

#include "model/uDrayData.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace vexlorin {

enum TCollectionNotification { cnAdded, cnRemoved };

class TDrayDataList {
public:
    using TNotifyHandler =
        std::function<void(TDrayDataList& ASender, TDrayData* AItem, TCollectionNotification)>;

    TDrayDataList() = default;
    // Each set is removed with its notification, then destroyed.
    ~TDrayDataList() { Clear(); }
    TDrayDataList(const TDrayDataList&) = delete;
    TDrayDataList& operator=(const TDrayDataList&) = delete;

    void SetOnNotify(TNotifyHandler AHandler) { FOnNotify = std::move(AHandler); }

    std::size_t Count() const { return FItems.size(); }
    bool Empty() const { return FItems.empty(); }
    TDrayData* Items(std::size_t AIndex) const {
        return AIndex < FItems.size() ? FItems[AIndex].get() : nullptr;
    }
    bool Contains(const TDrayData* AItem) const { return IndexOf(AItem) >= 0; }
    int IndexOf(const TDrayData* AItem) const {
        for (std::size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].get() == AItem)
                return static_cast<int>(i);
        return -1;
    }

    // Appends the set; the list owns it from now on. Null is ignored.
    TDrayData* Add(std::unique_ptr<TDrayData> AItem) {
        if (!AItem)
            return nullptr;
        TDrayData* item = AItem.get();
        FItems.push_back(std::move(AItem));
        Notify(item, cnAdded);
        return item;
    }

    // Removes and destroys the set; a set that is not in the list is left alone.
    void Remove(TDrayData* AItem) {
        const int index = IndexOf(AItem);
        if (index < 0)
            return;
        std::unique_ptr<TDrayData> owned = std::move(FItems[static_cast<std::size_t>(index)]);
        FItems.erase(FItems.begin() + index);
        Notify(owned.get(), cnRemoved);
    }

    // Empties the list first, then notifies and destroys each set in order.
    void Clear() {
        std::vector<std::unique_ptr<TDrayData>> removed = std::move(FItems);
        FItems.clear();
        for (auto& item : removed) {
            Notify(item.get(), cnRemoved);
            item.reset();
        }
    }

private:
    void Notify(TDrayData* AItem, TCollectionNotification AAction) {
        if (FOnNotify)
            FOnNotify(*this, AItem, AAction);
    }

    std::vector<std::unique_ptr<TDrayData>> FItems;
    TNotifyHandler FOnNotify;
};

} // namespace vexlorin
