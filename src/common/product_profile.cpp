#include "common/product_profile.h"

namespace doumteo {

ProductProfile loadProductProfile(SettingsStore& settings) {
  ProductProfile p;
  // Read in this order; nothing is validated or trimmed.
  p.backupDbPath = settings.get(L"BackUp", L"DB경로", L"경로");
  p.setupFile = settings.get(L"Setupkeeper", L"ASKey", L"SetupFile");
  p.exeFile = settings.get(L"Setupkeeper", L"ASKey", L"Exefile") + L".exe";
  p.dbPath = settings.get(L"Setupkeeper", L"ASKey", L"DBPath");
  p.programName = settings.get(L"Setupkeeper", L"ASKey", L"Program");
  p.regiProgram = settings.get(L"Setupkeeper", L"ASKey", L"RegiProgram");
  p.dbTable = settings.get(L"Setupkeeper", L"ASKey", L"DBTable");
  p.dbFold = settings.get(L"Setupkeeper", L"ASKey", L"DBFold", L"DBS");
  p.dbName = settings.get(L"Setupkeeper", L"ASKey", L"DBName", L"dbMain.mdb");
  p.currentRegiProgram = p.regiProgram;
  return p;
}

}  // namespace doumteo
