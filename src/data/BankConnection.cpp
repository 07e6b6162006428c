#include "data/BankConnection.h"

void BankConnection::Open()
{
    m_open = true;
}
