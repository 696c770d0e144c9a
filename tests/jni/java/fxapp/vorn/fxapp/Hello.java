package vorn.fxapp;

import javafx.application.Application;
import javafx.application.Platform;
import javafx.stage.Stage;

// A JavaFX application without main: says it started, then ends.
public class Hello extends Application {
  @Override
  public void start(Stage stage) {
    System.out.println("fx start " + getParameters().getRaw() + " on " + Thread.currentThread().getName());
    Platform.exit();
  }
}
