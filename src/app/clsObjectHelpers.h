#pragma once

#include "app/clsCboBoxHelper.h"
#include "app/clsFormHelper.h"
#include "app/clsLstBoxHelper.h"
#include "app/clsTxtBoxHelper.h"

#include <memory>

// Hands out the one shared instance of each control helper.
class clsObjectHelpers {
public:
    clsObjectHelpers();
    ~clsObjectHelpers();
    clsObjectHelpers(const clsObjectHelpers&) = delete;
    clsObjectHelpers& operator=(const clsObjectHelpers&) = delete;

    clsCboBoxHelper* CboBoxHelper_Po() const { return m_cboBoxHelper.get(); }
    clsTxtBoxHelper* TxtBoxHelper_Po() const { return m_txtBoxHelper.get(); }
    clsLstBoxHelper* LstBoxHelper_Po() const { return m_lstBoxHelper.get(); }
    clsFormHelper* FormHelper_Po() const { return m_formHelper.get(); }

private:
    std::unique_ptr<clsCboBoxHelper> m_cboBoxHelper;
    std::unique_ptr<clsTxtBoxHelper> m_txtBoxHelper;
    std::unique_ptr<clsLstBoxHelper> m_lstBoxHelper;
    std::unique_ptr<clsFormHelper> m_formHelper;
};
