#include "app/clsObjectHelpers.h"

clsObjectHelpers::clsObjectHelpers()
    : m_cboBoxHelper(std::make_unique<clsCboBoxHelper>()), m_txtBoxHelper(std::make_unique<clsTxtBoxHelper>()),
      m_lstBoxHelper(std::make_unique<clsLstBoxHelper>()), m_formHelper(std::make_unique<clsFormHelper>())
{
}

// Released in the order they were made.
clsObjectHelpers::~clsObjectHelpers()
{
    m_cboBoxHelper.reset();
    m_txtBoxHelper.reset();
    m_lstBoxHelper.reset();
    m_formHelper.reset();
}
