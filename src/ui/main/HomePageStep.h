#pragma once

class StartPageStore;

// The home-page step at exit, run only while the option is on: makes the website-directory
// page the current user's start page unless it already is, exactly. store == nullptr uses the
// platform's own store. A failure raises AppError with the store's message.
void runHomePageStep(StartPageStore *store);
