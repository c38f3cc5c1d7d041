#pragma once

#include "app/clsThisApp.h"
#include "app/modapp.h"

#include <memory>

// The application object started as the program starts it (published, then
// logged in to the program folder's database) and shut down again with its
// program-wide references when this goes.
class RunningApp {
public:
    RunningApp() : m_app(std::make_unique<clsThisApp>())
    {
        modapp::publishApp(m_app.get());
        modapp::publishMessageHandler(m_app->messageHandlerShared());
        modapp::publishErrorHandler(m_app->errorHandlerShared());
        m_app->LoginAttempt_p();
    }
    ~RunningApp()
    {
        m_app.reset();
        modapp::releaseAll();
    }
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    clsThisApp* operator->() const { return m_app.get(); }
    clsThisApp* get() const { return m_app.get(); }

private:
    std::unique_ptr<clsThisApp> m_app;
};
