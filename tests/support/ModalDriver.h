#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

// Drives a modal dialog a window opens with exec(): once the event loop runs, the dialog of type T
// on top of the modal stack is handed to `drive`. opened() tells afterwards whether one was there.
template <typename T>
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(T*)> drive) : m_opened(std::make_shared<bool>(false))
    {
        QTimer::singleShot(0, qApp, [opened = m_opened, drive = std::move(drive)] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                *opened = true;
                drive(dialog);
            }
        });
    }
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    bool opened() const
    {
        // A driver whose dialog never opened has not run yet: let it look now.
        QCoreApplication::processEvents();
        return *m_opened;
    }

private:
    std::shared_ptr<bool> m_opened;
};
