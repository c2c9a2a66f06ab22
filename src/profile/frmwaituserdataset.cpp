#include "profile/frmwaituserdataset.h"

frmWaitUserDataSet::frmWaitUserDataSet(QWidget *parent, Transfer transfer)
    : frmWaitUserData(parent, std::move(transfer), QStringLiteral("frmWaitUserDataSet"),
                      QStringLiteral("Var vänlig att vänta medan datorn lämnar information om dig till servern..."))
{
}
