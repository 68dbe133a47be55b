#include "ui/QtNotifier.h"
#include "ui/Messages.h"

#include <QMetaObject>

#include <exception>
#include <utility>

namespace vexlorin {

void TQtNotifier::Queue(std::function<void()> AProc) {
    const uint64_t generation = FGeneration.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation, Proc = std::move(AProc)] {
            if (generation != FGeneration.load() || !Proc)
                return;
            try {
                Proc();
            } catch (const std::exception& e) {
                if (FOnError)
                    FOnError(ShownMessage(std::string(e.what())));
            } catch (...) {
                if (FOnError)
                    FOnError(ShownMessage(std::string("Unknown error")));
            }
        },
        Qt::QueuedConnection);
}

} // namespace vexlorin
