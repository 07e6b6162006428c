set(QINGLAN_DATA_SOURCES
    data/BankUnpacker.cpp
    data/BankConnection.cpp
    data/BankQuery.cpp
    data/TDataModule1.cpp
)
