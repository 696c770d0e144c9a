// A JavaFX application: JavaFX makes the application object, so it sees the package.
module vorn.fxapp {
  requires javafx.graphics;
  exports vorn.fxapp;
}
