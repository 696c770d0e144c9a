// A modular application; its jar names vorn.modapp.Main as the module's main class.
module vorn.modapp {}
